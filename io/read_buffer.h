// Memory that one thread reads images into, kept across images so that reading an image allocates
// nothing once the buffer has grown to the largest image seen.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>

namespace bestfocus {

constexpr std::size_t kPageBytes = 4096;
constexpr std::size_t kCacheLineBytes = 64;

// Where, counted from a page boundary, to read a file's bytes from `file_offset` on: as far into a
// page as they lie in the file's, rounded down to a cache line. The kernel copies them out of the
// page cache with string moves that run three to four times slower when each store lands a few
// bytes past the load before it, 4 KiB apart (the processor takes the load to depend on the
// store): in memory as far into a page as the file, or a little less, they never do. The rows
// that land there begin on a cache line.
inline std::size_t landing_offset(std::uint64_t file_offset) {
    return static_cast<std::size_t>(file_offset % kPageBytes / kCacheLineBytes * kCacheLineBytes);
}

class ReadBuffer {
  public:
    // At least `bytes` bytes, beginning on a page boundary; their contents are unspecified. Valid
    // until the next call.
    unsigned char* at_least(std::size_t bytes) {
        if (bytes > size_) {
            if (bytes > SIZE_MAX - kPageBytes) throw std::bad_alloc();
            storage_.reset();  // the old contents are not kept: never two buffers at once
            const std::size_t pages = (bytes + kPageBytes - 1) / kPageBytes;
            void* memory = std::aligned_alloc(kPageBytes, pages * kPageBytes);
            if (memory == nullptr) throw std::bad_alloc();
            storage_.reset(static_cast<unsigned char*>(memory));
            size_ = pages * kPageBytes;
        }
        return storage_.get();
    }

    // At least `bytes` bytes to read the file's bytes from `file_offset` on into, placed as
    // landing_offset says. Valid until the next call.
    unsigned char* for_file_bytes(std::size_t bytes, std::uint64_t file_offset) {
        return at_least(bytes + kPageBytes) + landing_offset(file_offset);
    }

  private:
    struct Free {
        void operator()(unsigned char* memory) const { std::free(memory); }
    };
    std::unique_ptr<unsigned char, Free> storage_;
    std::size_t size_ = 0;
};

}  // namespace bestfocus
