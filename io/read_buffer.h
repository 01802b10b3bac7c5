// Memory that one thread reads images into, kept across images so that reading an image allocates
// nothing once the buffer has grown to the largest image seen.
#pragma once

#include <cstddef>
#include <memory>

namespace bestfocus {

class ReadBuffer {
  public:
    // At least `bytes` bytes, aligned for any pixel type; their contents are unspecified. Valid
    // until the next call.
    unsigned char* at_least(std::size_t bytes) {
        if (bytes > size_) {
            storage_.reset();  // the old contents are not kept: never two buffers at once
            storage_.reset(new unsigned char[bytes]);
            size_ = bytes;
        }
        return storage_.get();
    }

  private:
    std::unique_ptr<unsigned char[]> storage_;
    std::size_t size_ = 0;
};

}  // namespace bestfocus
