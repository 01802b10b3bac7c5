// BMP's header fields: unsigned little-endian integers, read byte by byte whatever the host's
// order. Each comes back at its own width, unsigned; a caller that wants a signed field (the
// height, the width of the newer headers) converts through std::int32_t itself.
#pragma once

#include <cstdint>

namespace bestfocus {

inline std::uint16_t u16_at(const unsigned char* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

inline std::uint32_t u32_at(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

}  // namespace bestfocus
