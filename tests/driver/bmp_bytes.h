// BMP files written byte by byte, for files OpenCV does not write: palettes of colours, headers
// that claim other dimensions than the pixels that follow, pixel rows cut short.
#pragma once

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
