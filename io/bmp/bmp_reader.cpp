#include "bmp_reader.h"

#include <array>
#include <cstddef>

#include "bmp_header_check.h"
#include "file_reads.h"
#include "little_endian.h"

namespace bestfocus {

namespace {

constexpr std::size_t kMostPaletteBytes = 256 * 4;
constexpr std::uint32_t kUncompressed = 0;  // BI_RGB

// The gray value of each palette index; entries the file does not hold are black, as in OpenCV.
// True when the table is the identity, so that the indices are the gray values.
bool gray_palette(const unsigned char* palette, unsigned entries,
                  std::array<unsigned char, 256>& gray) {
    gray.fill(0);
    bool identity = entries == 256;
    for (unsigned i = 0; i < entries; ++i) {
        const unsigned char* entry = palette + 4 * i;  // blue, green, red, reserved
        gray[i] = gray_of(entry[0], entry[1], entry[2]);
        identity = identity && gray[i] == i;
    }
    return identity;
}

}  // namespace

OwnRead find_own_bmp_rows(int fd, std::uint64_t file_size) {
    std::array<unsigned char, kBmpHeaderBytes + kMostPaletteBytes> start{};
    const long long got = read_up_to(fd, start.data(), start.size(), 0);
    if (got < 2 || start[0] != 'B' || start[1] != 'M') {
        return got < 0 ? OwnRead::unreadable() : OwnRead::not_ours();
    }
    switch (check_bmp_bytes(start.data(), static_cast<std::size_t>(got), file_size)) {
        case BmpCheck::sound: break;
        case BmpCheck::corrupt: return OwnRead::unreadable();
        case BmpCheck::not_bmp:
        case BmpCheck::needs_whole_file: return OwnRead::not_ours();
    }
    // The check passed: the headers are in `start`, their fields consistent with the file, and
    // every row lies inside it.
    const std::uint32_t header_size = u32_at(&start[14]);
    const std::uint16_t bits = u16_at(&start[28]);
    if ((header_size != 40 && header_size != 52 && header_size != 56 && header_size != 108 &&
         header_size != 124) ||
        u32_at(&start[30]) != kUncompressed || (bits != 8 && bits != 24 && bits != 32)) {
        return OwnRead::not_ours();
    }
    const int width = static_cast<int>(u32_at(&start[18]));
    const auto stored_height = static_cast<std::int32_t>(u32_at(&start[22]));
    StoredRows rows;
    rows.offset = u32_at(&start[10]);
    rows.pitch = ((static_cast<std::size_t>(width) * bits + 7) / 8 + 3) & ~std::size_t{3};
    rows.width = width;
    rows.height = static_cast<int>(stored_height < 0 ? 0u - static_cast<std::uint32_t>(stored_height)
                                                     : static_cast<std::uint32_t>(stored_height));
    rows.bottom_up = stored_height > 0;
    if (bits == 8) {
        const std::uint32_t used = u32_at(&start[46]);
        const bool identity =
            gray_palette(&start[14 + header_size], used == 0 ? 256 : used, rows.palette);
        rows.conversion = identity ? StoredRows::Conversion::none : StoredRows::Conversion::palette;
    } else {
        rows.conversion = bits == 24 ? StoredRows::Conversion::bgr : StoredRows::Conversion::bgrx;
    }
    return OwnRead::rows_in_file(rows);
}

OwnRead read_own_bmp(int fd, std::uint64_t file_size, ReadBuffer& buffer) {
    return with_rows_read(find_own_bmp_rows(fd, file_size), fd, buffer);
}

}  // namespace bestfocus
