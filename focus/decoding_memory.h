// The memory the images being decoded at once take, kept within what the machine has: an image is
// decoded only once the memory it needs (known from its header) is free beside that of the images
// decoded on other threads, so that large images narrow the teams instead of swapping or getting
// the process killed; an image that needs more than there is alone is refused.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine.h"
#include "image_header.h"

namespace bestfocus {

// The bytes of memory a run may take: the least of the machine's available memory
// (MemAvailable), the room left under the process's memory cgroup, and its address-space and data
// limits; less what the program itself takes.
std::uint64_t memory_for_images();

// The memory an image takes to be decoded and measured whole on the engine, from its header: its
// decoded samples, their gray copy and what the engine adds a pixel; 0 without a header (a format
// whose header we do not read).
std::uint64_t memory_to_decode(const std::optional<ImageHeader>& header, const Engine& engine);

// Holds `bytes` of the process's share for images while it lives, waiting until they are free.
class DecodingMemory {
  public:
    explicit DecodingMemory(std::uint64_t bytes);
    ~DecodingMemory();
    DecodingMemory(const DecodingMemory&) = delete;
    DecodingMemory& operator=(const DecodingMemory&) = delete;

    // False when the bytes exceed all the memory there is for images: nothing was held.
    bool held() const { return held_; }
    // All the memory there is for images.
    static std::uint64_t share();

  private:
    std::uint64_t bytes_;
    bool held_;
};

// A line for standard error when an image had to wait for the memory of others, else empty.
std::string narrowed_teams_notice();

}  // namespace bestfocus
