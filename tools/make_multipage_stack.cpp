// Writes one large multi-page 16-bit TIFF stack, for measuring what reading many pages costs:
// <pages> pages of <side> x <side> pixels, uncompressed, a random texture blurred less towards the
// middle page. Few distinct pages are held in memory (pages with the same blur share one matrix),
// so a stack of gigabytes is written with a few images' worth of memory.
//
// Usage: make_multipage_stack <file> <pages> <side>
#include <cstdio>
#include <cstdlib>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_multipage_stack <file> <pages> <side>\n");
        return 2;
    }
    const int pages = std::atoi(argv[2]);
    const int side = std::atoi(argv[3]);
    if (pages < 1 || side < 8) {
        std::fprintf(stderr, "make_multipage_stack: at least 1 page of 8 x 8 pixels\n");
        return 2;
    }
    constexpr int kBlurLevels = 8;
    cv::Mat texture(side, side, CV_16U);
    cv::theRNG().state = 2026;
    cv::randu(texture, 0, 65536);
    std::vector<cv::Mat> blurred;
    for (int level = 0; level < kBlurLevels; ++level) {
        cv::Mat page = texture.clone();
        if (level > 0) cv::GaussianBlur(texture, page, cv::Size(), level);
        blurred.push_back(page);
    }
    std::vector<cv::Mat> stack;
    for (int page = 0; page < pages; ++page) {
        const int distance = std::abs(page - pages / 2);
        stack.push_back(
            blurred[std::min(kBlurLevels - 1, distance * kBlurLevels / (pages / 2 + 1))]);
    }
    const std::vector<int> uncompressed = {cv::IMWRITE_TIFF_COMPRESSION, 1};
    if (!cv::imwritemulti(argv[1], stack, uncompressed)) {
        std::fprintf(stderr, "make_multipage_stack: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
