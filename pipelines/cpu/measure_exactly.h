// The driver of every CPU measure: the exact integer sum of the measure's terms over row bands,
// scaled once to normalised pixels.
//
// Bounds. The tool accepts images with width * height <= INT_MAX < 2^31, so a measure has fewer
// than 2^31 terms. 8-bit terms stay below 2^22 in magnitude (MDCT's, the largest, are at most
// 2040^2), so an 8-bit total lies below 2^53 and fits a 64-bit integer; 16-bit terms reach
// (8 * 65535)^2 < 2^39, so a 16-bit total lies below 2^70 and is added in 128 bits
// (pixel_traits.h). The total is divided once, correctly rounded (exact_score.h).
#pragma once

#include <algorithm>
#include <cstddef>
#include <limits>

#include "exact_score.h"
#include "pixel_traits.h"
#include "row_bands.h"

namespace bestfocus {

// Where a measure's terms lie: `rows` rows of `terms_per_row` terms each. The terms of row y read
// image rows y to y + rows_below, none past the image's last row: an image read a band of rows at
// a time adds a term row once the band holding its rows has arrived.
struct TermRows {
    int rows;
    int terms_per_row;
    int rows_below;
};

// Window measures: one term per anchor, its window `window_rows` rows high; no window column (or a
// negative count of them) means no term, whatever the rows.
inline TermRows window_terms(int anchors_x, int anchors_y, int window_rows) {
    return anchors_x > 0 ? TermRows{std::max(0, anchors_y), anchors_x, window_rows - 1}
                         : TermRows{0, 0, window_rows - 1};
}

// The exact sum of a measure's terms over term rows first_row <= y < end_row, in pixel steps
// squared.
template <class Pixel>
using RowSums = typename PixelTraits<Pixel>::Total (*)(const Pixel* image,
                                                       std::ptrdiff_t row_stride, int width,
                                                       int height, int first_row, int end_row);

// The measure's exact sum over its terms, scaled to normalised pixels: pixels are taken as value /
// kMaxPixel, so every term is 1 / kMaxPixel^pixel_power of its integer form. Invalid arguments (no
// pixels, no rows or columns, a row stride below the width either way) give a quiet NaN.
template <class Pixel>
double measure_exactly(RowSums<Pixel> row_sums, TermRows terms, int pixel_power,
                       const Pixel* pixels, int width, int height, std::ptrdiff_t row_stride,
                       int threads) {
    if (pixels == nullptr || width <= 0 || height <= 0 ||
        (row_stride < width && -row_stride < width)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    const auto total = sum_over_row_bands(
        terms.rows, terms.terms_per_row, threads, [&](int first_row, int end_row) {
            return row_sums(pixels, row_stride, width, height, first_row, end_row);
        });
    return exact_score(total, PixelTraits<Pixel>::kMaxPixel, pixel_power);
}

// The exact sums of a measure that combines several over term rows first_row <= y < end_row.
template <class Pixel>
using SumsRows = ExactSums (*)(const Pixel* image, std::ptrdiff_t row_stride, int width, int height,
                               int first_row, int end_row);

// As measure_exactly, for a measure whose score is a fraction of several exact sums.
template <class Pixel>
double measure_sums_exactly(SumsRows<Pixel> sums_rows, TermRows terms, ScoreOfSums score,
                            const Pixel* pixels, int width, int height, std::ptrdiff_t row_stride,
                            int threads) {
    if (pixels == nullptr || width <= 0 || height <= 0 ||
        (row_stride < width && -row_stride < width)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    const ExactSums sums = sum_over_row_bands(
        terms.rows, terms.terms_per_row, threads, [&](int first_row, int end_row) {
            return sums_rows(pixels, row_stride, width, height, first_row, end_row);
        });
    return exact_score(
        score(sums, static_cast<long long>(width) * height, PixelTraits<Pixel>::kMaxPixel));
}

}  // namespace bestfocus
