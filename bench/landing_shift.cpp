// How fast the kernel copies a file's bytes out of the page cache depending on where they land:
// the files (warm in the page cache) read 256 KiB at a time from byte 8 on (where a TIFF's strips
// begin), on one thread, into memory that begins `shift` bytes after the source's offset in its
// page, for each shift in turn, over several passes; prints each shift's median milliseconds.
//
//   landing_shift <passes> <file>...
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr std::size_t kChunkBytes = std::size_t{256} << 10;
constexpr long kPageBytes = 4096;
constexpr off_t kFirstByte = 8;
constexpr long kShifts[] = {0, 8, 16, 64, 256, 1024, 2048, -8, -38, -64};

struct Free {
    void operator()(char* memory) const { std::free(memory); }
};

// Milliseconds to read every file once with each read landing `shift` bytes after its source's
// offset in a page; negative when a file cannot be read.
double read_all(const std::vector<const char*>& files, char* memory, long shift) {
    const auto start = std::chrono::steady_clock::now();
    for (const char* file : files) {
        const int fd = open(file, O_RDONLY | O_CLOEXEC);
        if (fd < 0) return -1;
        const off_t size = lseek(fd, 0, SEEK_END);
        for (off_t offset = kFirstByte; offset + static_cast<off_t>(kChunkBytes) <= size;
             offset += static_cast<off_t>(kChunkBytes)) {
            const long place =
                ((offset % kPageBytes + shift) % kPageBytes + kPageBytes) % kPageBytes;
            if (pread(fd, memory + place, kChunkBytes, offset) !=
                static_cast<ssize_t>(kChunkBytes)) {
                close(fd);
                return -1;
            }
        }
        close(fd);
    }
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

}  // namespace

int main(int argc, char** argv) {
    const int passes = argc > 2 ? std::atoi(argv[1]) : 0;
    if (passes < 1) {
        std::fprintf(stderr, "usage: landing_shift <passes> <file>...\n");
        return 2;
    }
    const std::vector<const char*> files(argv + 2, argv + argc);
    const std::unique_ptr<char, Free> memory(
        static_cast<char*>(std::aligned_alloc(kPageBytes, kChunkBytes + kPageBytes)));
    if (!memory) return 1;
    constexpr std::size_t kCount = sizeof kShifts / sizeof kShifts[0];
    std::vector<std::vector<double>> times(kCount);
    for (int pass = 0; pass < passes; ++pass) {
        for (std::size_t s = 0; s < kCount; ++s) {
            const double ms = read_all(files, memory.get(), kShifts[s]);
            if (ms < 0) {
                std::fprintf(stderr, "landing_shift: cannot read the files\n");
                return 1;
            }
            times[s].push_back(ms);
        }
    }
    std::printf("| shift | median ms |\n|---|---|\n");
    for (std::size_t s = 0; s < kCount; ++s) {
        std::sort(times[s].begin(), times[s].end());
        std::printf("| %+ld | %.1f |\n", kShifts[s], times[s][times[s].size() / 2]);
    }
    return 0;
}
