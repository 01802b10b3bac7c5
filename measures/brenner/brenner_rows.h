// Brenner as exact integer sums over rows: for the window anchored at (x, y),
//   D = p(x, y + 2) - p(x, y),
// and the term is D^2. Its largest response and term: brenner_largest_response and
// brenner_largest_term (brenner_stencil.h).
#pragma once

#include <algorithm>
#include <cstddef>

#include "brenner_stencil.h"
#include "measure_exactly.h"
#include "pixel_traits.h"
#include "simd_dispatch.h"

namespace bestfocus {

template <class Pixel>
CPU_ENGINE_INLINE typename PixelTraits<Pixel>::Total brenner_rows(const Pixel* image,
                                                                  std::ptrdiff_t row_stride,
                                                                  int width, int /*height*/,
                                                                  int first_row, int end_row) {
    using Response = typename PixelTraits<Pixel>::Response;
    using Term = typename PixelTraits<Pixel>::Term;
    constexpr int kChunk =
        columns_per_chunk<Pixel>(brenner_largest_term(PixelTraits<Pixel>::kMaxPixel));
    typename PixelTraits<Pixel>::Total total = 0;
    for (int y = first_row; y < end_row; ++y) {
        const Pixel* top = image + y * row_stride;
        const Pixel* bottom = top + 2 * row_stride;
        for (int x0 = 0; x0 < width;) {
            const int x1 = x0 + std::min(kChunk, width - x0);
            Term run = 0;
            for (int x = x0; x < x1; ++x) {
                const Response difference = static_cast<Response>(bottom[x] - top[x]);
                run += static_cast<Term>(difference) * static_cast<Term>(difference);
            }
            total += run;
            x0 = x1;
        }
    }
    return total;
}

// One term per window anchor.
inline TermRows brenner_terms(int width, int height) {
    return window_terms(brenner_anchors_x(width), brenner_anchors_y(height), 3);
}

}  // namespace bestfocus
