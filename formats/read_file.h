// Reading back a file a run wrote, trusting nothing about it.
#pragma once

#include <cstdint>
#include <string>

namespace bestfocus {

// Reads the whole file into `text` when it is a regular file (links followed) of at most
// max_bytes. Opening never waits (a FIFO is refused, not waited on) and no more than max_bytes + 1
// bytes are read, whatever the file claims. Returns false with `problem` set: "is not a regular
// file", "is larger than N bytes", or the system's reason.
bool read_regular_file(const std::string& path, std::uint64_t max_bytes, std::string& text,
                       std::string& problem);

}  // namespace bestfocus
