// read_only: each file's bytes read with pread into a buffer each thread keeps across images, and
// nothing else (no header parsed, no pixel touched, no OpenCV loaded): the raw-read floor.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "floor_read.h"

const char* const kFloorVerb = "read";

bool floor_read(const std::string& path, bool) {
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
