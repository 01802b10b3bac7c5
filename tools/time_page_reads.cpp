// Whether OpenCV reads a late page of a multi-page file without decoding the pages before it:
// the median time of reading the first and the last page alone (ranged imreadmulti) and of
// counting the pages (imcount). Close times for the first and the last page mean the earlier
// pages are stepped over; a last page costing about the page count times the first would mean
// they are all decoded again.
//
// Usage: time_page_reads <file> [repetitions]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <vector>

namespace {

double median_milliseconds(int repetitions, const std::function<bool()>& work) {
    std::vector<double> times;
    for (int i = 0; i < repetitions; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!work()) return -1.0;
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: time_page_reads <file> [repetitions]\n");
        return 2;
    }
    const cv::String file = argv[1];
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const int pages = static_cast<int>(cv::imcount(file, cv::IMREAD_ANYDEPTH));
    if (pages < 1) {
        std::fprintf(stderr, "time_page_reads: cannot read %s\n", argv[1]);
        return 1;
    }
    const auto read_page = [&file](int page) {
        std::vector<cv::Mat> mats;
        return cv::imreadmulti(file, mats, page, 1, cv::IMREAD_ANYDEPTH) && mats.size() == 1;
    };
    std::printf("pages: %d\n", pages);
    std::printf("median ms, imcount:     %.1f\n",
                median_milliseconds(repetitions, [&file] { return cv::imcount(file) > 0; }));
    std::printf("median ms, page 1:      %.1f\n",
                median_milliseconds(repetitions, [&] { return read_page(0); }));
    std::printf("median ms, page %d: %s%.1f\n", pages,
                pages < 10    ? "    "
                : pages < 100 ? "   "
                              : "  ",
                median_milliseconds(repetitions, [&] { return read_page(pages - 1); }));
    return 0;
}
