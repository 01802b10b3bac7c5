// Writes 16-bit twins of numbered 8-bit stacks, in the layouts microscopes save: every image times
// 257 (so 0..255 becomes 0..65535 and every focus value stays the same), as one TIFF file per
// image, <out>/planes/pos_NN/zNNN.tif, and as one multi-page TIFF file per stack,
// <out>/multipage/pos_NN.tif. The tool's picks and scores on the twins equal those on the
// 8-bit stacks.
//
// With --8-bit the twins keep the 8-bit pixels as they are: the same images as TIFF, for comparing
// the readers of the two formats on the same bytes.
//
// Usage: make_layout_twins [--8-bit] <base_folder> <first> <last> <images> <out_folder>
//   reads <base_folder><NNN>/<NN>.bmp for folders first..last, images 1..images (0: up to the
//   first one missing).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <string>
#include <vector>

namespace {

std::string numbered(const char* format, int number) {
    char text[64];
    std::snprintf(text, sizeof text, format, number);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const bool keep_8_bits = argc > 1 && std::string(argv[1]) == "--8-bit";
    if (keep_8_bits) {
        --argc;
        ++argv;
    }
    if (argc != 6) {
        std::fprintf(stderr,
                     "usage: make_layout_twins [--8-bit] <base_folder> <first> <last> <images> "
                     "<out_folder>\n");
        return 2;
    }
    const std::string base = argv[1];
    const int first = std::atoi(argv[2]);
    const int last = std::atoi(argv[3]);
    const int images = std::atoi(argv[4]);
    const std::string out = std::string(argv[5]) + "/";
    std::filesystem::create_directories(out + "multipage");
    for (int folder = first; folder <= last; ++folder) {
        const std::string planes = out + "planes/" + numbered("pos_%02d", folder) + "/";
        std::filesystem::create_directories(planes);
        std::vector<cv::Mat> pages;
        for (int image = 1; images == 0 || image <= images; ++image) {
            const std::string source =
                base + numbered("%03d", folder) + "/" + numbered("%02d.bmp", image);
            if (images == 0 && image > 1 && !std::filesystem::exists(source)) {
                break;
            }
            const cv::Mat bytes = cv::imread(source, cv::IMREAD_GRAYSCALE);
            if (bytes.empty()) {
                std::fprintf(stderr, "make_layout_twins: cannot read %s\n", source.c_str());
                return 1;
            }
            cv::Mat words = bytes;
            if (!keep_8_bits) bytes.convertTo(words, CV_16U, 257.0);
            if (!cv::imwrite(planes + numbered("z%03d.tif", image), words)) {
                std::fprintf(stderr, "make_layout_twins: cannot write in %s\n", planes.c_str());
                return 1;
            }
            pages.push_back(words);
        }
        const std::string stack = out + "multipage/" + numbered("pos_%02d.tif", folder);
        if (!cv::imwritemulti(stack, pages)) {
            std::fprintf(stderr, "make_layout_twins: cannot write %s\n", stack.c_str());
            return 1;
        }
    }
    return 0;
}
