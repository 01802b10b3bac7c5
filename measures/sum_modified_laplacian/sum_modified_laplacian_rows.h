// The sum-modified Laplacian as exact integer sums over rows: for the window anchored at (x, y),
// centred on c = p(x + 1, y + 1), the term is
//   |2 c - p(x, y + 1) - p(x + 2, y + 1)| + |2 c - p(x + 1, y) - p(x + 1, y + 2)|.
// Its largest response and term: sum_modified_laplacian_largest_response and
// sum_modified_laplacian_largest_term (sum_modified_laplacian_stencil.h).
#pragma once

#include <algorithm>
#include <cstddef>
#include <limits>

#include "measure_exactly.h"
#include "pixel_traits.h"
#include "simd_dispatch.h"
#include "sum_modified_laplacian_stencil.h"

namespace bestfocus {

// The term of the anchor whose centre is centre[x], in Response: its largest fits (checked with the
// measure's definition).
template <class Pixel>
CPU_ENGINE_INLINE typename PixelTraits<Pixel>::Response sum_modified_laplacian_at(
    const Pixel* above, const Pixel* centre, const Pixel* below, int x) {
    using Response = typename PixelTraits<Pixel>::Response;
    const Response twice = static_cast<Response>(2 * centre[x]);
    const Response across = static_cast<Response>(twice - centre[x - 1] - centre[x + 1]);
    const Response down = static_cast<Response>(twice - above[x] - below[x]);
    return static_cast<Response>((across < 0 ? -across : across) + (down < 0 ? -down : down));
}

// The terms of a run of columns are added in Response lanes, kLanes columns side by side, for as
// many passes as cannot overflow a lane, then widened once: the vectorised loop keeps the
// pixels' narrow lanes.
template <class Pixel>
CPU_ENGINE_INLINE typename PixelTraits<Pixel>::Total sum_modified_laplacian_rows(
    const Pixel* image, std::ptrdiff_t row_stride, int width, int /*height*/, int first_row,
    int end_row) {
    using Response = typename PixelTraits<Pixel>::Response;
    using Term = typename PixelTraits<Pixel>::Term;
    constexpr int kLanes = 32;
    constexpr long long kPasses =
        std::numeric_limits<Response>::max() /
        sum_modified_laplacian_largest_term(PixelTraits<Pixel>::kMaxPixel);
    static_assert(kPasses >= 1, "a lane holds at least one term");
    const int anchors_x = sum_modified_laplacian_anchors(width);
    typename PixelTraits<Pixel>::Total total = 0;
    for (int y = first_row; y < end_row; ++y) {
        // Centre pixels of the anchors: one to the right of the window's left column.
        const Pixel* above = image + y * row_stride + 1;
        const Pixel* centre = above + row_stride;
        const Pixel* below = centre + row_stride;
        int x = 0;
        while (anchors_x - x >= kLanes) {
            const long long passes = std::min<long long>(kPasses, (anchors_x - x) / kLanes);
            Response lanes[kLanes] = {};
            for (long long pass = 0; pass < passes; ++pass, x += kLanes) {
                for (int j = 0; j < kLanes; ++j) {
                    lanes[j] = static_cast<Response>(
                        lanes[j] + sum_modified_laplacian_at(above, centre, below, x + j));
                }
            }
            Term run = 0;
            for (int j = 0; j < kLanes; ++j) run += lanes[j];
            total += run;
        }
        Term rest = 0;
        for (; x < anchors_x; ++x) rest += sum_modified_laplacian_at(above, centre, below, x);
        total += rest;
    }
    return total;
}

// One term per window anchor.
inline TermRows sum_modified_laplacian_terms(int width, int height) {
    return window_terms(sum_modified_laplacian_anchors(width),
                        sum_modified_laplacian_anchors(height), 3);
}

}  // namespace bestfocus
