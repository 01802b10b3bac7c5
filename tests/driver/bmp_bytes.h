// BMP files written byte by byte, for files OpenCV does not write: palettes of colours, headers
// that claim other dimensions than the pixels that follow, pixel rows cut short.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    unsigned char red;
    unsigned char green;
    unsigned char blue;
};

// Entry i is (i, i, i): the palette of the 8-bit files OpenCV writes.
std::vector<Rgb> gray_palette();

// The start of an uncompressed, bottom-up 8-bit BMP file of width x height: the file header, the
// information header and the palette. The pixel rows follow.
std::string bmp_headers(int width, int height, const std::vector<Rgb>& palette);

// The pixel rows of an 8-bit BMP file: width x height palette indices given top row first, stored
// bottom row first, each row padded to a multiple of 4 bytes.
std::string bmp_pixel_rows(int width, int height, const std::vector<unsigned char>& indices);

// Writes the low byte_count bytes of value at bytes[at], least significant first: a header field.
void set_little_endian(std::string& bytes, std::size_t at, std::uint64_t value, int byte_count);

// Offsets of header fields, from the start of the file.
constexpr std::size_t kPixelOffsetField = 10;
constexpr std::size_t kHeaderSizeField = 14;
constexpr std::size_t kWidthField = 18;
constexpr std::size_t kHeightField = 22;
constexpr std::size_t kPlanesField = 26;
constexpr std::size_t kBitsPerPixelField = 28;
constexpr std::size_t kCompressionField = 30;
constexpr std::size_t kColoursUsedField = 46;

// A file of the format, with the name tests and fuzz seeds know it by.
struct BmpVariant {
    std::string what;
    std::string bytes;
};

// The size of the variants below and their pattern: 2 x 2 squares of gray level 90 and 0, 0 at
// the top left.
constexpr int kVariantWidth = 24;
constexpr int kVariantHeight = 16;
std::vector<unsigned char> variant_pattern();

// Files every reader of the format accepts, all holding variant_pattern(): 8 bits per pixel with a
// gray palette, uncompressed bottom-up and top-down, and run-length encoded (RLE8).
std::vector<BmpVariant> sound_bmp_variants();

// Each a sound variant with one fault: headers that contradict the file or each other (a pixel
// offset inside the headers or past the end, a palette larger than 8 bits index, unknown
// compression, sizes or header sizes), rows or codes cut short, run-length codes that leave the
// image.
std::vector<BmpVariant> corrupt_bmp_variants();
