#include "bmp_bytes.h"

#include <cstdint>

namespace {

void append_little_endian(std::string& bytes, std::uint64_t value, int byte_count) {
    for (int i = 0; i < byte_count; ++i) {
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

constexpr int kRle8 = 1;

// RLE8 codes of the pattern, bottom row first: each row a literal run of its first four pixels,
// then runs of two equal pixels, then the end of line; the end of bitmap after the last row.
std::string pattern_rle8_codes() {
    const std::vector<unsigned char> pattern = variant_pattern();
    std::string codes;
    for (int y = kVariantHeight - 1; y >= 0; --y) {
        const unsigned char* row = pattern.data() + y * kVariantWidth;
        codes += std::string{'\0', '\4'} + std::string(row, row + 4);
        for (int x = 4; x < kVariantWidth; x += 2) {
            codes += std::string{'\2', static_cast<char>(row[x])};
        }
        codes += std::string(2, '\0');
    }
    return codes + std::string{'\0', '\1'};
}

std::string rle8_file(const std::string& codes) {
    std::string bytes = bmp_headers(kVariantWidth, kVariantHeight, gray_palette()) + codes;
    set_little_endian(bytes, kCompressionField, kRle8, 4);
    set_little_endian(bytes, 34, codes.size(), 4);  // size of the pixel data
    set_little_endian(bytes, 2, bytes.size(), 4);   // file size
    return bytes;
}

std::string with_field(std::string bytes, std::size_t at, std::uint64_t value, int byte_count) {
    set_little_endian(bytes, at, value, byte_count);
    return bytes;
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

void set_little_endian(std::string& bytes, std::size_t at, std::uint64_t value, int byte_count) {
    for (int i = 0; i < byte_count; ++i) {
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

std::vector<unsigned char> variant_pattern() {
    std::vector<unsigned char> pattern;
    for (int y = 0; y < kVariantHeight; ++y) {
        for (int x = 0; x < kVariantWidth; ++x) {
            pattern.push_back((x / 2 + y / 2) % 2 == 1 ? 90 : 0);
        }
    }
    return pattern;
}

std::vector<BmpVariant> sound_bmp_variants() {
    const std::string uncompressed =
        bmp_headers(kVariantWidth, kVariantHeight, gray_palette()) +
        bmp_pixel_rows(kVariantWidth, kVariantHeight, variant_pattern());
    // Top-down: a negative height, the rows in reading order.
    std::vector<unsigned char> upside_down;
    const std::vector<unsigned char> pattern = variant_pattern();
    for (int y = kVariantHeight - 1; y >= 0; --y) {
        upside_down.insert(upside_down.end(), pattern.begin() + y * kVariantWidth,
                           pattern.begin() + (y + 1) * kVariantWidth);
    }
    const std::string top_down =
        with_field(bmp_headers(kVariantWidth, kVariantHeight, gray_palette()) +
                       bmp_pixel_rows(kVariantWidth, kVariantHeight, upside_down),
                   kHeightField, static_cast<std::uint32_t>(-kVariantHeight), 4);
    return {
        {"8-bit gray, bottom-up", uncompressed},
        {"8-bit gray, top-down", top_down},
        {"RLE8", rle8_file(pattern_rle8_codes())},
    };
}

std::vector<BmpVariant> corrupt_bmp_variants() {
    const std::string sound = sound_bmp_variants()[0].bytes;
    const std::string codes = pattern_rle8_codes();
    const std::size_t row_codes = codes.size() / kVariantHeight;  // one row's codes
    const std::string first_row = codes.substr(0, row_codes);
    const std::string end_of_bitmap = codes.substr(codes.size() - 2);
    return {
        {"pixel offset inside the headers", with_field(sound, kPixelOffsetField, 14, 4)},
        {"pixel offset inside the palette", with_field(sound, kPixelOffsetField, 14 + 40 + 8, 4)},
        {"pixel offset past the end", with_field(sound, kPixelOffsetField, sound.size() + 10, 4)},
        {"palette of 1000 colours", with_field(sound, kColoursUsedField, 1000, 4)},
        {"compression 4", with_field(sound, kCompressionField, 4, 4)},
        {"2 planes", with_field(sound, kPlanesField, 2, 2)},
        {"width 0", with_field(sound, kWidthField, 0, 4)},
        {"negative width", with_field(sound, kWidthField, static_cast<std::uint32_t>(-24), 4)},
        {"height 0", with_field(sound, kHeightField, 0, 4)},
        {"width beyond 2^20", with_field(sound, kWidthField, (1 << 20) + 1, 4)},
        {"7 bits per pixel", with_field(sound, kBitsPerPixelField, 7, 2)},
        {"information header of 20 bytes", with_field(sound, kHeaderSizeField, 20, 4)},
        {"headers cut short", sound.substr(0, 40)},
        {"one byte short", sound.substr(0, sound.size() - 1)},
        {"RLE8 with 24 bits per pixel", with_field(rle8_file(codes), kBitsPerPixelField, 24, 2)},
        {"RLE8 stored top-down",
         with_field(rle8_file(codes), kHeightField, static_cast<std::uint32_t>(-16), 4)},
        {"RLE8 cut short", rle8_file(codes.substr(0, codes.size() / 2))},
        {"RLE8 delta escaping to the right",
         rle8_file(first_row.substr(0, row_codes - 2) + std::string{'\0', '\2', '\40', '\0'} +
                   end_of_bitmap)},
        {"RLE8 delta escaping below the image",
         rle8_file(first_row + std::string{'\0', '\2', '\0', '\20'} + end_of_bitmap)},
        {"RLE8 run past the end of the row", rle8_file(std::string{'\40', '\5'} + codes.substr(2))},
        {"RLE8 literal run cut short", rle8_file(std::string{'\0', '\30', '\1', '\2'})},
    };
}
