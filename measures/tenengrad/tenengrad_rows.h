// Tenengrad as exact integer sums over rows. Both Sobel operators are separable: for the window
// anchored at (x, y), with the column sums s(c) = p(c, y) + 2 p(c, y + 1) + p(c, y + 2) and the
// column differences d(c) = p(c, y) - p(c, y + 2),
//   Gx = s(x) - s(x + 2)   (left column minus right column, weighted 1, 2, 1)
//   Gy = d(x) + 2 d(x + 1) + d(x + 2)   (top row minus bottom row, weighted 1, 2, 1)
// and the term is Gx^2 + Gy^2. Its largest response and term: tenengrad_largest_response and
// tenengrad_largest_term (tenengrad_stencil.h). The s and d of a run of anchors go to two small
// scratch rows.
#pragma once

#include <algorithm>
#include <cstddef>

#include "measure_exactly.h"
#include "pixel_traits.h"
#include "simd_dispatch.h"
#include "tenengrad_stencil.h"

namespace bestfocus {

// The column sums s(c) and differences d(c) of columns x0 .. x0 + count - 1 of the three rows
// from top.
template <class Pixel, class Response>
CPU_ENGINE_INLINE void sobel_columns(const Pixel* top, std::ptrdiff_t row_stride, int x0, int count,
                                     Response* sums, Response* differences) {
    const Pixel* middle = top + row_stride;
    const Pixel* bottom = middle + row_stride;
    for (int k = 0; k < count; ++k) {
        const int c = x0 + k;
        sums[k] = static_cast<Response>(top[c] + 2 * middle[c] + bottom[c]);
        differences[k] = static_cast<Response>(top[c] - bottom[c]);
    }
}

template <class Pixel>
CPU_ENGINE_INLINE typename PixelTraits<Pixel>::Total tenengrad_rows(const Pixel* image,
                                                                    std::ptrdiff_t row_stride,
                                                                    int width, int /*height*/,
                                                                    int first_row, int end_row) {
    using Response = typename PixelTraits<Pixel>::Response;
    using Term = typename PixelTraits<Pixel>::Term;
    constexpr int kChunk =
        columns_per_chunk<Pixel>(tenengrad_largest_term(PixelTraits<Pixel>::kMaxPixel));
    const int anchors_x = tenengrad_anchors(width);
    Response column_sums[kChunk + 2];
    Response column_differences[kChunk + 2];
    typename PixelTraits<Pixel>::Total total = 0;
    for (int y = first_row; y < end_row; ++y) {
        const Pixel* top = image + y * row_stride;
        for (int x0 = 0; x0 < anchors_x;) {
            const int anchors = std::min(kChunk, anchors_x - x0);
            sobel_columns(top, row_stride, x0, anchors + 2, column_sums, column_differences);
            // Two sums of squares rather than one sum of Gx^2 + Gy^2: each is a multiply-add of
            // 16-bit lanes into 32-bit ones, where the sum of two squares needs widening.
            Term run_x = 0;
            Term run_y = 0;
            for (int k = 0; k < anchors; ++k) {
                const Response gx = static_cast<Response>(column_sums[k] - column_sums[k + 2]);
                const Response gy =
                    static_cast<Response>(column_differences[k] + 2 * column_differences[k + 1] +
                                          column_differences[k + 2]);
                run_x += static_cast<Term>(gx) * static_cast<Term>(gx);
                run_y += static_cast<Term>(gy) * static_cast<Term>(gy);
            }
            total += static_cast<long long>(run_x) + run_y;
            x0 += anchors;
        }
    }
    return total;
}

// One term per window anchor.
inline TermRows tenengrad_terms(int width, int height) {
    return window_terms(tenengrad_anchors(width), tenengrad_anchors(height), 3);
}

}  // namespace bestfocus
