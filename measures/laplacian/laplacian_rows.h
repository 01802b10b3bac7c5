// Laplacian energy as exact integer sums over rows: for the window anchored at (x, y), centred on
// (x + 1, y + 1),
//   L = p(x + 1, y) + p(x + 1, y + 2) + p(x, y + 1) + p(x + 2, y + 1) - 4 p(x + 1, y + 1),
// and the term is L^2. Its largest response and term: laplacian_largest_response and
// laplacian_largest_term (laplacian_stencil.h). Pixels are taken two at a time (pixel_pairs.h), and
// two term rows at once.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "laplacian_stencil.h"
#include "measure_exactly.h"
#include "pixel_pairs.h"
#include "pixel_traits.h"
#include "simd_dispatch.h"

namespace bestfocus {

// The Laplacians of the anchors whose centres are the pixels of `centre` held by the pair words
// at x of the three rows: one half of each word each.
template <class Pixel, class Half>
CPU_ENGINE_INLINE typename PixelTraits<Pixel>::Response laplacian_of_halves(const Pixel* above,
                                                                            const Pixel* centre,
                                                                            const Pixel* below,
                                                                            int x, Half half) {
    using Pairs = PixelPairs<Pixel>;
    return static_cast<typename PixelTraits<Pixel>::Response>(
        half(Pairs::at(above, x)) + half(Pairs::at(below, x)) + half(Pairs::at(centre, x - 1)) +
        half(Pairs::at(centre, x + 1)) + kLaplacianCentreWeight * half(Pairs::at(centre, x)));
}

// The exact sum of the terms of two term rows, anchors 2k and 2k + 1 for k < pairs: the window of
// the first is centred on row r1, the second's on r2; the rows' pair words are loaded once for
// both.
template <class Pixel>
CPU_ENGINE_INLINE typename PixelTraits<Pixel>::Total laplacian_two_rows_of_pairs(
    const Pixel* r0, const Pixel* r1, const Pixel* r2, const Pixel* r3, int pairs) {
    using Pairs = PixelPairs<Pixel>;
    using Term = typename PixelTraits<Pixel>::Term;
    const auto low = [](typename Pairs::Word word) { return Pairs::low(word); };
    const auto high = [](typename Pairs::Word word) { return Pairs::high(word); };
    Term first_even = 0, first_odd = 0, second_even = 0, second_odd = 0;
    for (int k = 0; k < pairs; ++k) {
        const int x = 2 * k;
        const Term a = laplacian_of_halves(r0, r1, r2, x, low);
        const Term b = laplacian_of_halves(r0, r1, r2, x, high);
        const Term c = laplacian_of_halves(r1, r2, r3, x, low);
        const Term d = laplacian_of_halves(r1, r2, r3, x, high);
        first_even += a * a;
        first_odd += b * b;
        second_even += c * c;
        second_odd += d * d;
    }
    using Total = typename PixelTraits<Pixel>::Total;
    return static_cast<Total>(first_even) + first_odd + second_even + second_odd;
}

// The same for one term row.
template <class Pixel>
CPU_ENGINE_INLINE typename PixelTraits<Pixel>::Total laplacian_row_of_pairs(const Pixel* r0,
                                                                            const Pixel* r1,
                                                                            const Pixel* r2,
                                                                            int pairs) {
    using Pairs = PixelPairs<Pixel>;
    using Term = typename PixelTraits<Pixel>::Term;
    const auto low = [](typename Pairs::Word word) { return Pairs::low(word); };
    const auto high = [](typename Pairs::Word word) { return Pairs::high(word); };
    Term even = 0, odd = 0;
    for (int k = 0; k < pairs; ++k) {
        const Term a = laplacian_of_halves(r0, r1, r2, 2 * k, low);
        const Term b = laplacian_of_halves(r0, r1, r2, 2 * k, high);
        even += a * a;
        odd += b * b;
    }
    return static_cast<typename PixelTraits<Pixel>::Total>(even) + odd;
}

// The exact sum of the terms of the anchors x0 <= x < x1 of the term row whose window spans rows
// r0 to r2, one at a time.
template <class Pixel>
CPU_ENGINE_INLINE typename PixelTraits<Pixel>::Total laplacian_anchors_one_by_one(const Pixel* r0,
                                                                                  const Pixel* r1,
                                                                                  const Pixel* r2,
                                                                                  int x0, int x1) {
    using Response = typename PixelTraits<Pixel>::Response;
    using Term = typename PixelTraits<Pixel>::Term;
    Term run = 0;
    for (int x = x0; x < x1; ++x) {
        const Response laplacian = static_cast<Response>(r0[x] + r2[x] + r1[x - 1] + r1[x + 1] +
                                                         kLaplacianCentreWeight * r1[x]);
        run += static_cast<Term>(laplacian) * static_cast<Term>(laplacian);
    }
    return run;
}

// Term rows two at a time where they can be: the four rows of two windows one above the other
// are loaded once for both.
template <class Pixel>
CPU_ENGINE_INLINE typename PixelTraits<Pixel>::Total laplacian_rows(const Pixel* image,
                                                                    std::ptrdiff_t row_stride,
                                                                    int width, int /*height*/,
                                                                    int first_row, int end_row) {
    // A run's squares of one half of its anchors of one row are added in Term.
    constexpr int kChunk =
        columns_per_chunk<Pixel>(laplacian_largest_term(PixelTraits<Pixel>::kMaxPixel));
    const int anchors_x = laplacian_anchors(width);
    typename PixelTraits<Pixel>::Total total = 0;
    for (int y = first_row; y < end_row;) {
        // Centre pixels of the anchors: one to the right of the window's left column.
        const Pixel* r0 = image + y * row_stride + 1;
        const Pixel* r1 = r0 + row_stride;
        const Pixel* r2 = r1 + row_stride;
        const bool two_rows = y + 1 < end_row;
        for (int x0 = 0; x0 < anchors_x;) {
            const int x1 = x0 + std::min(kChunk, anchors_x - x0);
            const int pairs = (x1 - x0) / 2;
            const int paired_end = x0 + 2 * pairs;
            if (two_rows) {
                const Pixel* r3 = r2 + row_stride;
                total += laplacian_two_rows_of_pairs(r0 + x0, r1 + x0, r2 + x0, r3 + x0, pairs);
                total += laplacian_anchors_one_by_one(r1, r2, r3, paired_end, x1);
            } else {
                total += laplacian_row_of_pairs(r0 + x0, r1 + x0, r2 + x0, pairs);
            }
            total += laplacian_anchors_one_by_one(r0, r1, r2, paired_end, x1);
            x0 = x1;
        }
        y += two_rows ? 2 : 1;
    }
    return total;
}

// One term per window anchor.
inline TermRows laplacian_terms(int width, int height) {
    return window_terms(laplacian_anchors(width), laplacian_anchors(height), 3);
}

}  // namespace bestfocus
