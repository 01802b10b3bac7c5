#include "read_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace bestfocus {

bool read_regular_file(const std::string& path, std::uint64_t max_bytes, std::string& text,
                       std::string& problem) {
    text.clear();
    const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        problem = std::strerror(errno);
        return false;
    }
    struct stat status {};
    bool read_whole = false;
    if (fstat(descriptor, &status) != 0) {
        problem = std::strerror(errno);
    } else if (!S_ISREG(status.st_mode)) {
        problem = "is not a regular file";
    } else if (static_cast<std::uint64_t>(status.st_size) > max_bytes) {
        problem = "is larger than " + std::to_string(max_bytes) + " bytes";
    } else {
        // The size may change while we read: read up to one byte past the bound to tell.
        char buffer[65536];
        read_whole = true;
        for (;;) {
            const ssize_t got = read(descriptor, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                problem = std::strerror(errno);
                read_whole = false;
                break;
            }
            if (got == 0) {
                break;
            }
            text.append(buffer, static_cast<std::size_t>(got));
            if (text.size() > max_bytes) {
                problem = "is larger than " + std::to_string(max_bytes) + " bytes";
                read_whole = false;
                break;
            }
        }
    }
    close(descriptor);
    if (!read_whole) {
        text.clear();
    }
    return read_whole;
}

}  // namespace bestfocus
