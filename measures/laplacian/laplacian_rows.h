// Laplacian energy as exact integer sums over rows: for the window anchored at (x, y), centred on
// (x + 1, y + 1),
//   L = p(x + 1, y) + p(x + 1, y + 2) + p(x, y + 1) + p(x + 2, y + 1) - 4 p(x + 1, y + 1),
// and the term is L^2. Five loads per pixel from three rows the cache already holds.
#pragma once

#include <algorithm>
#include <cstddef>

#include "laplacian_stencil.h"
#include "measure_exactly.h"
#include "pixel_traits.h"
#include "simd_dispatch.h"

namespace bestfocus {

template <class Pixel>
CPU_ENGINE_INLINE typename PixelTraits<Pixel>::Total laplacian_rows(const Pixel* image,
                                                                    std::ptrdiff_t row_stride,
                                                                    int width, int /*height*/,
                                                                    int first_row, int end_row) {
    using Response = typename PixelTraits<Pixel>::Response;
    using Term = typename PixelTraits<Pixel>::Term;
    constexpr long long kMaxLaplacian = 4 * PixelTraits<Pixel>::kMaxPixel;
    constexpr int kChunk = columns_per_chunk<Pixel>(kMaxLaplacian * kMaxLaplacian);
    const int anchors_x = laplacian_anchors(width);
    typename PixelTraits<Pixel>::Total total = 0;
    for (int y = first_row; y < end_row; ++y) {
        const Pixel* above = image + y * row_stride + 1;
        const Pixel* centre = above + row_stride;
        const Pixel* below = centre + row_stride;
        for (int x0 = 0; x0 < anchors_x;) {
            const int x1 = x0 + std::min(kChunk, anchors_x - x0);
            Term run = 0;
            for (int x = x0; x < x1; ++x) {
                const Response laplacian =
                    static_cast<Response>(above[x] + below[x] + centre[x - 1] + centre[x + 1] +
                                          kLaplacianCentreWeight * centre[x]);
                run += static_cast<Term>(laplacian) * static_cast<Term>(laplacian);
            }
            total += run;
            x0 = x1;
        }
    }
    return total;
}

// One term per window anchor.
inline TermRows laplacian_terms(int width, int height) {
    return window_terms(laplacian_anchors(width), laplacian_anchors(height));
}

}  // namespace bestfocus
