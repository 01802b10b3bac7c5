// MDCT as exact integer sums over rows. The 4 x 4 sign pattern is the outer product of
// (+1, +1, -1, -1) down the rows and (+1, +1, -1, -1) along the columns, so the window sum at
// anchor (x, y) is
//   S = v(x) + v(x + 1) - v(x + 2) - v(x + 3), with v(c) = p(c, y) + p(c, y + 1) - p(c, y + 2)
//                                                         - p(c, y + 3),
// and the term is S^2. Its largest response and term: mdct_largest_response and
// mdct_largest_term (mdct_stencil.h). The column sums v of a run of anchors go to a small scratch
// row.
#pragma once

#include <algorithm>
#include <cstddef>

#include "mdct_stencil.h"
#include "measure_exactly.h"
#include "pixel_traits.h"
#include "simd_dispatch.h"

namespace bestfocus {

template <class Pixel>
CPU_ENGINE_INLINE typename PixelTraits<Pixel>::Total mdct_rows(const Pixel* image,
                                                               std::ptrdiff_t row_stride, int width,
                                                               int /*height*/, int first_row,
                                                               int end_row) {
    using Response = typename PixelTraits<Pixel>::Response;
    using Term = typename PixelTraits<Pixel>::Term;
    constexpr int kChunk =
        columns_per_chunk<Pixel>(mdct_largest_term(PixelTraits<Pixel>::kMaxPixel));
    const int anchors_x = mdct_anchors(width);
    Response column_sums[kChunk + 3];
    typename PixelTraits<Pixel>::Total total = 0;
    for (int y = first_row; y < end_row; ++y) {
        const Pixel* r0 = image + y * row_stride;
        const Pixel* r1 = r0 + row_stride;
        const Pixel* r2 = r1 + row_stride;
        const Pixel* r3 = r2 + row_stride;
        for (int x0 = 0; x0 < anchors_x;) {
            const int anchors = std::min(kChunk, anchors_x - x0);
            for (int k = 0; k < anchors + 3; ++k) {
                const int c = x0 + k;
                column_sums[k] = static_cast<Response>(r0[c] + r1[c] - r2[c] - r3[c]);
            }
            Term run = 0;
            for (int k = 0; k < anchors; ++k) {
                const Response s = static_cast<Response>(column_sums[k] + column_sums[k + 1] -
                                                         column_sums[k + 2] - column_sums[k + 3]);
                run += static_cast<Term>(s) * static_cast<Term>(s);
            }
            total += run;
            x0 += anchors;
        }
    }
    return total;
}

// One term per window anchor.
inline TermRows mdct_terms(int width, int height) {
    return window_terms(mdct_anchors(width), mdct_anchors(height), 4);
}

}  // namespace bestfocus
