// A regular file opened for reading with pread, closed when it goes out of scope.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <utility>

namespace bestfocus {

class OpenFile {
  public:
    // Opened without waiting: a FIFO would wait for a writer, possibly for ever; only regular
    // files are kept open. fd() is negative when the path is not one that can be opened.
    explicit OpenFile(const std::string& path)
        : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {
        struct stat status;
        if (fd_ >= 0 && (fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode))) {
            close(fd_);
            fd_ = -1;
        }
        size_ = fd_ >= 0 ? static_cast<std::uint64_t>(status.st_size) : 0;
    }
    ~OpenFile() {
        if (fd_ >= 0) close(fd_);
    }
    OpenFile(OpenFile&& other) noexcept
        : fd_(std::exchange(other.fd_, -1)), size_(other.size_) {}
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    OpenFile& operator=(OpenFile&&) = delete;

    int fd() const { return fd_; }
    std::uint64_t size() const { return size_; }

  private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

}  // namespace bestfocus
