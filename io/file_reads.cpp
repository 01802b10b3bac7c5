#include "file_reads.h"

#include <unistd.h>

#include <cerrno>
#include <climits>

namespace bestfocus {

long long read_up_to(int fd, void* destination, std::size_t length, std::uint64_t offset) {
    if (offset > static_cast<std::uint64_t>(LLONG_MAX) - length) {
        return -1;
    }
    auto* bytes = static_cast<unsigned char*>(destination);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got =
            pread(fd, bytes + done, length - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<long long>(done);
}

bool read_exactly(int fd, void* destination, std::size_t length, std::uint64_t offset) {
    return read_up_to(fd, destination, length, offset) == static_cast<long long>(length);
}

}  // namespace bestfocus
