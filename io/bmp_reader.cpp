#include "bmp_reader.h"

#include <array>
#include <cstddef>
#include <cstring>

#include "bmp_header_check.h"
#include "file_reads.h"

namespace bestfocus {

namespace {

constexpr std::size_t kMostPaletteBytes = 256 * 4;
constexpr std::uint32_t kUncompressed = 0;  // BI_RGB

std::uint32_t u32_at(const unsigned char* bytes) {
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

std::uint16_t u16_at(const unsigned char* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

// OpenCV's colour to gray for its decoders (icvCvt_BGR2Gray_8u_C3C1R): weights 0.299, 0.587 and
// 0.114 in 14-bit fixed point, rounded.
inline unsigned char gray_of(unsigned blue, unsigned green, unsigned red) {
    constexpr unsigned kShift = 14;
    constexpr unsigned kRed = 4899;                             // 0.299 * 2^14, rounded
    constexpr unsigned kGreen = 9617;                           // 0.587 * 2^14, rounded
    constexpr unsigned kBlue = (1u << kShift) - kRed - kGreen;  // 1868
    return static_cast<unsigned char>(
        (blue * kBlue + green * kGreen + red * kRed + (1u << (kShift - 1))) >> kShift);
}

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

// Each row's pixels, `step` bytes each (3 or 4: blue, green, red first), replaced in place by
// their gray values at the row's start: pixel x's gray lands at or before its bytes.
void to_gray_in_place(unsigned char* rows, std::size_t row_count, std::size_t pitch, int width,
                      int step) {
    for (std::size_t y = 0; y < row_count; ++y) {
        unsigned char* row = rows + y * pitch;
        const unsigned char* pixel = row;
        for (int x = 0; x < width; ++x, pixel += step) {
            row[x] = gray_of(pixel[0], pixel[1], pixel[2]);
        }
    }
}

void map_in_place(unsigned char* rows, std::size_t row_count, std::size_t pitch, int width,
                  const std::array<unsigned char, 256>& gray) {
    for (std::size_t y = 0; y < row_count; ++y) {
        unsigned char* row = rows + y * pitch;
        for (int x = 0; x < width; ++x) row[x] = gray[row[x]];
    }
}

}  // namespace

OwnRead read_own_bmp(int fd, std::uint64_t file_size, ReadBuffer& buffer) {
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
    const std::size_t rows =
        stored_height < 0 ? 0u - static_cast<std::uint32_t>(stored_height) : stored_height;
    const std::size_t pitch =
        ((static_cast<std::size_t>(width) * bits + 7) / 8 + 3) & ~std::size_t{3};
    unsigned char* pixels = buffer.at_least(pitch * rows);
    if (!read_exactly(fd, pixels, pitch * rows, u32_at(&start[10]))) {
        return OwnRead::unreadable();
    }
    if (bits == 8) {
        const std::uint32_t used = u32_at(&start[46]);
        std::array<unsigned char, 256> gray;
        if (!gray_palette(&start[14 + header_size], used == 0 ? 256 : used, gray)) {
            map_in_place(pixels, rows, pitch, width, gray);
        }
    } else {
        to_gray_in_place(pixels, rows, pitch, width, bits / 8);
    }
    ImageView view;
    view.depth = PixelDepth::u8;
    view.width = width;
    view.height = static_cast<int>(rows);
    const bool bottom_up = stored_height > 0;
    view.pixels = bottom_up ? pixels + (rows - 1) * pitch : pixels;
    view.row_stride =
        bottom_up ? -static_cast<std::ptrdiff_t>(pitch) : static_cast<std::ptrdiff_t>(pitch);
    return OwnRead::read(view);
}

}  // namespace bestfocus
