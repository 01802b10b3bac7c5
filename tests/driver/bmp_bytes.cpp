#include "bmp_bytes.h"

#include <cstdint>

namespace {

void append_little_endian(std::string& bytes, std::uint64_t value, int byte_count) {
    for (int i = 0; i < byte_count; ++i) {
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

std::uint64_t row_stride(int width) { return (static_cast<std::uint64_t>(width) + 3) / 4 * 4; }

}  // namespace

std::vector<Rgb> gray_palette() {
    std::vector<Rgb> palette;
    for (int i = 0; i < 256; ++i) {
        const auto level = static_cast<unsigned char>(i);
        palette.push_back({level, level, level});
    }
    return palette;
}

std::string bmp_headers(int width, int height, const std::vector<Rgb>& palette) {
    const std::uint64_t pixel_offset = 14 + 40 + 4 * palette.size();
    const std::uint64_t pixel_bytes = row_stride(width) * static_cast<std::uint64_t>(height);
    std::string bytes = "BM";
    // Sizes beyond 32 bits keep their low 32 bits, as nothing larger fits the fields.
    append_little_endian(bytes, pixel_offset + pixel_bytes, 4);  // file size
    append_little_endian(bytes, 0, 4);                           // reserved
    append_little_endian(bytes, pixel_offset, 4);
    append_little_endian(bytes, 40, 4);  // size of this information header
    append_little_endian(bytes, static_cast<std::uint32_t>(width), 4);
    append_little_endian(bytes, static_cast<std::uint32_t>(height), 4);  // > 0: bottom-up
    append_little_endian(bytes, 1, 2);                                   // planes
    append_little_endian(bytes, 8, 2);                                   // bits per pixel
    append_little_endian(bytes, 0, 4);                                   // no compression
    append_little_endian(bytes, pixel_bytes, 4);
    append_little_endian(bytes, 2835, 4);  // 72 dots per inch, across
    append_little_endian(bytes, 2835, 4);  // and down
    append_little_endian(bytes, palette.size(), 4);
    append_little_endian(bytes, 0, 4);  // all colours count
    for (const Rgb& colour : palette) {
        bytes += static_cast<char>(colour.blue);
        bytes += static_cast<char>(colour.green);
        bytes += static_cast<char>(colour.red);
        bytes += '\0';
    }
    return bytes;
}

std::string bmp_pixel_rows(int width, int height, const std::vector<unsigned char>& indices) {
    std::string bytes;
    for (int y = height - 1; y >= 0; --y) {
        const auto row = indices.begin() + static_cast<std::ptrdiff_t>(y) * width;
        bytes.append(row, row + width);
        bytes.append(row_stride(width) - static_cast<std::uint64_t>(width), '\0');
    }
    return bytes;
}
