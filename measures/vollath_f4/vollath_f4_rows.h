// Vollath F4 as exact integer sums over rows. Pairing each pixel with the one below and the one
// two below, F4 = S1 - S2 is the sum over rows y of
//   p(x, y) * (p(x, y + 1) - p(x, y + 2))   for y <= H - 3, and
//   p(x, y) * p(x, y + 1)                   for the last row pair, y = H - 2,
// so one product per pixel, and the two sums never need to be held apart. Its largest response
// and term: vollath_f4_largest_response and vollath_f4_largest_term (vollath_f4_stencil.h).
#pragma once

#include <algorithm>
#include <cstddef>

#include "measure_exactly.h"
#include "pixel_traits.h"
#include "simd_dispatch.h"
#include "vollath_f4_stencil.h"

namespace bestfocus {

// Rows y with a term: every row that has a row below it; one term per pixel of those rows, reading
// the two rows below (one for the last row pair).
inline TermRows vollath_f4_terms(int width, int height) {
    return {height < 2 ? 0 : height - 1, width, 2};
}

// The exact sum of the terms of rows first_row <= y < end_row, in units of one pixel step squared.
template <class Pixel>
CPU_ENGINE_INLINE typename PixelTraits<Pixel>::Total vollath_f4_rows(const Pixel* image,
                                                                     std::ptrdiff_t row_stride,
                                                                     int width, int height,
                                                                     int first_row, int end_row) {
    using Response = typename PixelTraits<Pixel>::Response;
    using Term = typename PixelTraits<Pixel>::Term;
    constexpr int kChunk =
        columns_per_chunk<Pixel>(vollath_f4_largest_term(PixelTraits<Pixel>::kMaxPixel));
    typename PixelTraits<Pixel>::Total total = 0;
    for (int y = first_row; y < end_row; ++y) {
        const Pixel* row = image + y * row_stride;
        const Pixel* below = row + row_stride;
        const bool last_pair = y + 2 >= height;
        const Pixel* two_below = last_pair ? nullptr : below + row_stride;
        for (int x0 = 0; x0 < width;) {
            const int x1 = x0 + std::min(kChunk, width - x0);
            Term run = 0;
            if (last_pair) {
                for (int x = x0; x < x1; ++x) {
                    run += static_cast<Term>(static_cast<Response>(row[x])) *
                           static_cast<Term>(static_cast<Response>(below[x]));
                }
            } else {
                for (int x = x0; x < x1; ++x) {
                    const Response difference = static_cast<Response>(below[x] - two_below[x]);
                    run += static_cast<Term>(static_cast<Response>(row[x])) *
                           static_cast<Term>(difference);
                }
            }
            total += run;
            x0 = x1;
        }
    }
    return total;
}

}  // namespace bestfocus
