// read_only: each file's bytes read with pread 256 KiB at a time (as the tool reads a band of rows)
// into one page-aligned buffer each thread keeps across images, and nothing else (no header parsed,
// no pixel touched, no OpenCV loaded): the raw-read floor. Each read lands as far into a page as it
// lies in the file's, the copy out of the page cache at its fastest.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "floor_read.h"

const char* const kFloorVerb = "read";

namespace {

constexpr std::size_t kChunkBytes = std::size_t{256} << 10;
constexpr std::size_t kPageBytes = 4096;

struct Free {
    void operator()(char* memory) const { std::free(memory); }
};

}  // namespace

bool floor_read(const std::string& path, bool) {
    thread_local const std::unique_ptr<char, Free> buffer(
        static_cast<char*>(std::aligned_alloc(kPageBytes, kChunkBytes)));
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status;
    if (!buffer || fd < 0 || fstat(fd, &status) != 0) {
        if (fd >= 0) close(fd);
        return false;
    }
    const auto size = static_cast<std::size_t>(status.st_size);
    std::size_t done = 0;
    while (done < size) {
        const std::size_t wanted = size - done < kChunkBytes ? size - done : kChunkBytes;
        const ssize_t got = pread(fd, buffer.get(), wanted, static_cast<off_t>(done));
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    close(fd);
    return done == size;
}
