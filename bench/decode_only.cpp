// Decodes the images a whole job would read and does nothing else: the floor a whole job is
// compared with. Same tree as bestfocus (<base>NNN/NN.bmp, folders first to last, images 1 to
// the count per stack), each image decoded to 8-bit grayscale with cv::imread on a team of the
// given number of threads, which take the images one at a time as they become free. Prints the
// seconds from the first image read to the last, as "\n%f\n" like the tool.
//
// With --planes, the tree is the one-TIFF-per-image twin that tools/make_layout_twins writes
// (<base>pos_NN/zNNN.tif), decoded at its depth (IMREAD_ANYDEPTH).
//
// With --raw, the raw-read floor: each file's bytes read with pread into a buffer each thread keeps
// across images, and nothing else (no header parsed, no pixel touched).
//
//   decode_only [--raw] [--planes] <base folder ending in /> <first> <last> <images per stack>
//   <threads>
#include <fcntl.h>
#include <omp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <string>
#include <vector>

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

// The whole file read into the thread's buffer; false when it cannot be.
bool read_raw(const std::string& path) {
    thread_local std::vector<char> buffer;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status;
    if (fd < 0 || fstat(fd, &status) != 0) {
        if (fd >= 0) close(fd);
        return false;
    }
    const auto size = static_cast<std::size_t>(status.st_size);
    if (buffer.size() < size) buffer.resize(size);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = pread(fd, buffer.data() + done, size - done, static_cast<off_t>(done));
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    close(fd);
    return done == size;
}

}  // namespace

int main(int argc, char** argv) {
    // Takes the option argv[1] when it is `option`.
    const auto option = [&argc, &argv](const char* name) {
        if (argc < 2 || std::string(argv[1]) != name) return false;
        --argc;
        ++argv;
        return true;
    };
    const bool raw = option("--raw");
    const bool planes = option("--planes");
    int first = 0, last = 0, images = 0, threads = 0;
    if (argc != 6 || !read_int(argv[2], first) || !read_int(argv[3], last) ||
        !read_int(argv[4], images) || !read_int(argv[5], threads) || last < first || images < 1 ||
        threads < 1) {
        std::fprintf(stderr,
                     "usage: %s [--raw] [--planes] <base folder ending in /> <first> <last> "
                     "<images per stack> "
                     "<threads>\n",
                     argv[0]);
        return 2;
    }
    const std::string base = argv[1];
    const long long total = (static_cast<long long>(last) - first + 1) * images;

    const long long start = cv::getTickCount();
    bool all_read = true;
#pragma omp parallel for num_threads(threads) schedule(dynamic, 1)
    for (long long i = 0; i < total; ++i) {
        const int folder = static_cast<int>(first + i / images);
        const std::string path = image_path(base, folder, static_cast<int>(i % images) + 1, planes);
        const int flags = planes ? cv::IMREAD_ANYDEPTH : cv::IMREAD_GRAYSCALE;
        if (raw ? !read_raw(path) : cv::imread(path, flags).empty()) {
#pragma omp critical
            {
                std::fprintf(stderr, "cannot %s %s\n", raw ? "read" : "decode", path.c_str());
                all_read = false;
            }
        }
    }
    const double seconds = static_cast<double>(cv::getTickCount() - start) / cv::getTickFrequency();
    if (!all_read) {
        return 1;
    }
    std::printf("\n%f\n", seconds);
    return 0;
}
