// The fields of a BMP's headers, read once for every reader of them (the header check, our
// reader, the header read before decoding). The information header comes in several sizes: the
// 12-byte OS/2 header holds 16-bit unsigned sizes, no compression and 3-byte palette entries;
// the others (40 bytes and longer) 32-bit signed sizes and 4-byte entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace bestfocus {

constexpr std::size_t kBmpFileHeaderBytes = 14;
constexpr std::uint32_t kBmpCoreHeaderBytes = 12;
constexpr std::uint32_t kBmpInfoHeaderBytes = 40;

enum BmpCompression : std::uint32_t {
    kBmpUncompressed = 0,
    kBmpRle8 = 1,
    kBmpRle4 = 2,
    kBmpBitFields = 3
};

struct BmpFields {
    std::uint32_t header_size = 0;   // of the information header
    std::uint64_t pixel_offset = 0;  // from the file's start
    long long width = 0;
    long long height = 0;  // negative: rows stored top first
    std::uint32_t planes = 0;
    std::uint32_t bits_per_pixel = 0;
    std::uint32_t compression = kBmpUncompressed;
    std::uint32_t colours_used = 0;  // 0: all 2^bits of a palette
    std::uint64_t palette_offset() const { return kBmpFileHeaderBytes + header_size; }
    unsigned palette_entry_bytes() const { return header_size == kBmpCoreHeaderBytes ? 3 : 4; }
    std::uint64_t rows() const { return static_cast<std::uint64_t>(height < 0 ? -height : height); }
};

// The fields of the first `length` bytes of a file starting "BM" whose information header has a
// known size (12, 40, 52, 56, 108 or 124 bytes) and lies within them; nothing otherwise.
std::optional<BmpFields> read_bmp_fields(const unsigned char* bytes, std::size_t length);

// Whether the information header size is one of those above.
bool known_bmp_header_size(std::uint32_t size);

}  // namespace bestfocus
