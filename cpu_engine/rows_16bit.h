// The row sums of the four measures on 16-bit pixels, compiled like the 8-bit ones (rows_8bit.h)
// for AVX2 and for the baseline. Their totals are 128-bit: see pixel_traits.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "pixel_traits.h"

using RowSums16 = Int128 (*)(const std::uint16_t* image, std::ptrdiff_t row_stride, int width,
                             int height, int first_row, int end_row);

Int128 vollath_f4_rows_16bit(const std::uint16_t* image, std::ptrdiff_t row_stride, int width,
                             int height, int first_row, int end_row);
Int128 mdct_rows_16bit(const std::uint16_t* image, std::ptrdiff_t row_stride, int width, int height,
                       int first_row, int end_row);
Int128 tenengrad_rows_16bit(const std::uint16_t* image, std::ptrdiff_t row_stride, int width,
                            int height, int first_row, int end_row);
Int128 laplacian_rows_16bit(const std::uint16_t* image, std::ptrdiff_t row_stride, int width,
                            int height, int first_row, int end_row);
