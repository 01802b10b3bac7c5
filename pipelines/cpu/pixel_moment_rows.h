// The CPU row sums of the pixel moments (pixel_moments.h): the pixels' sum, then, as asked, their
// squares' sum and the sum of each pixel's product with the one below, in ExactSums' slots in that
// order. Row y's products need row y + 1: a row whose next row is not in the image or band
// (y + 1 == height) adds no products.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "exact_score.h"
#include "measure_exactly.h"
#include "pixel_moments.h"
#include "pixel_traits.h"
#include "simd_dispatch.h"

namespace bestfocus {

template <class Pixel, bool kSquares, bool kRowProducts>
CPU_ENGINE_INLINE ExactSums pixel_moment_rows(const Pixel* image, std::ptrdiff_t row_stride,
                                              int width, int height, int first_row, int end_row) {
    using Term = typename PixelTraits<Pixel>::Term;
    using Total = typename PixelTraits<Pixel>::Total;
    // A product of two pixels fits 32 unsigned bits at both depths, which vectorises better than
    // a 64-bit product; a run of them is added in Term.
    using Product = std::uint32_t;
    constexpr int kChunk = columns_per_chunk<Pixel>(
        moment_largest_term(PixelMoment::squares, PixelTraits<Pixel>::kMaxPixel));
    Total pixels = 0;
    Total squares = 0;
    Total products = 0;
    for (int y = first_row; y < end_row; ++y) {
        const Pixel* row = image + y * row_stride;
        const Pixel* below = row + row_stride;
        const bool with_products = kRowProducts && y + 1 < height;
        for (int x0 = 0; x0 < width;) {
            const int x1 = x0 + std::min(kChunk, width - x0);
            Term run_pixels = 0;
            Term run_squares = 0;
            Term run_products = 0;
            if (with_products) {
                for (int x = x0; x < x1; ++x) {
                    const Product value = row[x];
                    run_pixels += static_cast<Term>(value);
                    if (kSquares) run_squares += static_cast<Term>(value * value);
                    run_products += static_cast<Term>(value * below[x]);
                }
            } else {
                for (int x = x0; x < x1; ++x) {
                    const Product value = row[x];
                    run_pixels += static_cast<Term>(value);
                    if (kSquares) run_squares += static_cast<Term>(value * value);
                }
            }
            pixels += run_pixels;
            squares += run_squares;
            products += run_products;
            x0 = x1;
        }
    }
    ExactSums sums;
    int slot = 0;
    sums.values[slot++] = pixels;
    if (kSquares) sums.values[slot++] = squares;
    if (kRowProducts) sums.values[slot++] = products;
    return sums;
}

// Where the moments' term rows lie: every row (the products' rows read the row below, none past
// the last); an image too low for the products has none, so a measure needing them is 0 on it.
inline TermRows pixel_moment_terms(int width, int height, bool row_products) {
    if (row_products && height < 2) return {0, 0, 1};
    return width > 0 ? TermRows{std::max(0, height), width, row_products ? 1 : 0}
                     : TermRows{0, 0, row_products ? 1 : 0};
}

}  // namespace bestfocus
