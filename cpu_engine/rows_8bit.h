// The row sums of the four measures on 8-bit pixels, each compiled for AVX2 and for the baseline
// and chosen when the program loads. Every one returns the exact sum of its measure's terms over
// the term rows first_row <= y < end_row (in pixel steps squared) and has the same arguments, so
// that one splitting of rows over threads serves all four.
#pragma once

#include <cstddef>
#include <cstdint>

using RowSums8 = long long (*)(const std::uint8_t* image, std::ptrdiff_t row_stride, int width,
                               int height, int first_row, int end_row);

long long vollath_f4_rows_8bit(const std::uint8_t* image, std::ptrdiff_t row_stride, int width,
                               int height, int first_row, int end_row);
long long mdct_rows_8bit(const std::uint8_t* image, std::ptrdiff_t row_stride, int width,
                         int height, int first_row, int end_row);
long long tenengrad_rows_8bit(const std::uint8_t* image, std::ptrdiff_t row_stride, int width,
                              int height, int first_row, int end_row);
long long laplacian_rows_8bit(const std::uint8_t* image, std::ptrdiff_t row_stride, int width,
                              int height, int first_row, int end_row);
