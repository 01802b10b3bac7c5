// Whether the tool reads a late page of a multi-page file as fast as the first: the median time of
// counting the pages (which finds where each one begins) and of reading the first and the last
// page alone, as the scan reads them. Close times for the first and the last page mean a page is
// reached directly; a last page costing about the page count times the first would mean the
// earlier pages are walked again.
//
// Usage: time_page_reads <file> [repetitions]
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "image_source.h"

using namespace bestfocus;

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
    const std::string file = argv[1];
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const bestfocus::FilePages found = bestfocus::pages_of(file);
    const int pages = found.count;
    if (pages < 1) {
        std::fprintf(stderr, "time_page_reads: cannot read %s\n", argv[1]);
        return 1;
    }
    const auto read_page = [&](int page) {
        const std::size_t index = static_cast<std::size_t>(page);
        const std::uint64_t directory =
            index < found.directories.size() ? found.directories[index] : 0;
        return !decode_at_depth(ImageLocation(file, page, directory)).empty();
    };
    std::printf("pages: %d\n", pages);
    std::printf("median ms, count pages: %.1f\n", median_milliseconds(repetitions, [&file] {
                    return bestfocus::pages_of(file).count > 0;
                }));
    std::printf("median ms, page 1:      %.1f\n",
                median_milliseconds(repetitions, [&] { return read_page(0); }));
    std::printf("median ms, page %d: %s%.1f\n", pages,
                pages < 10    ? "    "
                : pages < 100 ? "   "
                              : "  ",
                median_milliseconds(repetitions, [&] { return read_page(pages - 1); }));
    return 0;
}
