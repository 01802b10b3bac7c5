// BMP headers checked against the file before OpenCV decodes it. OpenCV trusts some fields that
// a corrupt file gets wrong: it decodes header bytes as pixels when the pixel offset points into
// the headers, follows run-length codes outside the image, and prints its own warnings for others.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace bestfocus {

enum class BmpCheck {
    not_bmp,           // no "BM" signature: another format (PNG, TIFF...) for OpenCV to recognise
    sound,             // headers consistent with the file: OpenCV may decode it
    corrupt,           // an unreadable image
    needs_whole_file,  // a run-length encoded image: its codes are checked only in the whole file
};

// Enough of the file's start for every header check: the file header and the largest information
// header (BITMAPV5HEADER).
constexpr std::size_t kBmpHeaderBytes = 14 + 124;

// The most pixels per side and in all that a BMP may have: OpenCV's own default limits.
constexpr long long kMostBmpSide = 1 << 20;
constexpr long long kMostBmpPixels = 1 << 30;

// Checks a file of file_size bytes from its first `length` bytes (length <= file_size), at least
// kBmpHeaderBytes of them unless the file is shorter. A BMP is sound when it has: a known
// information header size (12, 40, 52, 56, 108 or 124 bytes); width > 0 and height != 0 within
// the limits above; 1 plane; a known combination of bits per pixel and compression (uncompressed
// 1, 4, 8, 16, 24 or 32; bit fields 16 or 32; RLE8 with 8; RLE4 with 4, bottom-up); at most
// 2^bits palette entries up to 8 bits per pixel; a pixel offset at or after the end of the
// headers, bit masks and palette, and inside the file; and then every pixel row in the file
// (uncompressed) or run-length codes that fit the image (see rle_data_fits_image).
BmpCheck check_bmp_bytes(const unsigned char* bytes, std::size_t length, std::uint64_t file_size);

// Whether the open file (of `file_size` bytes when opened) is a BMP that fails check_bmp_bytes. A
// file that cannot be read, or that is not a BMP, is not corrupt here: decoding it will tell.
bool bmp_file_is_corrupt(int fd, std::uint64_t file_size);
// The same for the file at path.
bool bmp_file_is_corrupt(const std::string& path);

}  // namespace bestfocus
