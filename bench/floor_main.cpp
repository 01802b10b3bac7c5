// The floors a whole job is compared with: the images a whole job would read, and nothing else.
// Same tree as bestfocus (<base>NNN/NN.bmp, folders first to last, images 1 to the count per
// stack), each image read (floor_read.h) on a team of the given number of threads, which take the
// images one at a time as they become free. Prints the seconds from the first image read to the
// last, as "\n%f\n" like the tool.
//
// With --planes, the tree is the one-TIFF-per-image twin that tools/make_layout_twins writes
// (<base>pos_NN/zNNN.tif), read at its stored depth.
//
//   decode_only | read_only [--planes] <base folder ending in /> <first> <last> <images per stack>
//                           <threads>
#include <omp.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "floor_read.h"

namespace {

// The whole argument as an int, or false.
bool read_int(const char* text, int& value) {
    char* end = nullptr;
    errno = 0;
    const long long number = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || number < INT_MIN || number > INT_MAX) {
        return false;
    }
    value = static_cast<int>(number);
    return true;
}

std::string image_path(const std::string& base, int folder, int image, bool planes) {
    char name[32];
    if (planes) {
        std::snprintf(name, sizeof name, "pos_%02d/z%03d.tif", folder, image);
    } else {
        std::snprintf(name, sizeof name, "%03d/%02d.bmp", folder, image);
    }
    return base + name;
}

}  // namespace

int main(int argc, char** argv) {
    const bool planes = argc > 1 && std::string(argv[1]) == "--planes";
    if (planes) {
        --argc;
        ++argv;
    }
    int first = 0, last = 0, images = 0, threads = 0;
    if (argc != 6 || !read_int(argv[2], first) || !read_int(argv[3], last) ||
        !read_int(argv[4], images) || !read_int(argv[5], threads) || last < first || images < 1 ||
        threads < 1) {
        std::fprintf(stderr,
                     "usage: %s [--planes] <base folder ending in /> <first> <last> "
                     "<images per stack> <threads>\n",
                     argv[0]);
        return 2;
    }
    const std::string base = argv[1];
    const long long total = (static_cast<long long>(last) - first + 1) * images;

    const auto start = std::chrono::steady_clock::now();
    bool all_read = true;
#pragma omp parallel for num_threads(threads) schedule(dynamic, 1)
    for (long long i = 0; i < total; ++i) {
        const int folder = static_cast<int>(first + i / images);
        const std::string path = image_path(base, folder, static_cast<int>(i % images) + 1, planes);
        if (!floor_read(path, planes)) {
#pragma omp critical
            {
                std::fprintf(stderr, "cannot %s %s\n", kFloorVerb, path.c_str());
                all_read = false;
            }
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!all_read) {
        return 1;
    }
    std::printf("\n%f\n", seconds);
    return 0;
}
