// The run-length encoded pixel data of a BMP file (RLE8 or RLE4), checked against the image it
// must fill before a decoder is trusted with it.
#pragma once

#include <cstddef>

namespace bestfocus {

// Whether the codes in data[0..size) stay inside a width x height image: no run, literal run or
// delta escape reaches past the end of its row or below the last row, every literal run is there
// in full, and the data ends with the end-of-bitmap code or after the last row's end of line.
// bits_per_pixel is 8 (RLE8) or 4 (RLE4): it sizes the literal runs. width and height > 0.
bool rle_data_fits_image(const unsigned char* data, std::size_t size, long long width,
                         long long height, int bits_per_pixel);

}  // namespace bestfocus
