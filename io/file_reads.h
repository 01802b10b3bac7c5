// Reading a file by byte ranges, with pread: no file position shared between threads.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bestfocus {

// Reads exactly `length` bytes at `offset`; false on an error or when the file ends first.
bool read_exactly(int fd, void* destination, std::size_t length, std::uint64_t offset);

// Reads up to `length` bytes at `offset`, fewer where the file ends: how many were read, or -1
// on an error.
long long read_up_to(int fd, void* destination, std::size_t length, std::uint64_t offset);

}  // namespace bestfocus
