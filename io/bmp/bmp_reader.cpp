#include "bmp_reader.h"

#include <array>
#include <cstddef>

#include "bmp_fields.h"
#include "bmp_header_check.h"
#include "file_reads.h"

namespace bestfocus {

namespace {

constexpr std::size_t kMostPaletteBytes = 256 * 4;

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
    const std::optional<BmpFields> fields =
        read_bmp_fields(start.data(), static_cast<std::size_t>(got));
    const std::uint32_t bits = fields ? fields->bits_per_pixel : 0;
    if (!fields || fields->header_size == kBmpCoreHeaderBytes ||
        fields->compression != kBmpUncompressed || (bits != 8 && bits != 24 && bits != 32)) {
        return OwnRead::not_ours();
    }
    const int width = static_cast<int>(fields->width);
    StoredRows rows;
    rows.offset = fields->pixel_offset;
    rows.pitch = ((static_cast<std::size_t>(width) * bits + 7) / 8 + 3) & ~std::size_t{3};
    rows.width = width;
    rows.height = static_cast<int>(fields->rows());
    rows.bottom_up = fields->height > 0;
    if (bits == 8) {
        const std::uint32_t used = fields->colours_used;
        const bool identity =
            gray_palette(&start[fields->palette_offset()], used == 0 ? 256 : used, rows.palette);
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
