// Laplacian energy as exact integer sums over rows: for the window anchored at (x, y), centred on
// (x + 1, y + 1),
//   L = p(x + 1, y) + p(x + 1, y + 2) + p(x, y + 1) + p(x + 2, y + 1) - 4 p(x + 1, y + 1),
// and the term is L^2. Five loads per pixel pair from three rows the cache already holds
// (laplacian_pixel_pairs).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

#include "laplacian_stencil.h"
#include "measure_exactly.h"
#include "pixel_traits.h"
#include "simd_dispatch.h"

namespace bestfocus {

// Pixels two at a time: the word twice a pixel's width at x holds pixels x and x + 1, so masking
// its low half and shifting down its high half splits a run of anchors into the even ones and the
// odd ones, each widened without a shuffle. The squares of the two sets are added apart; their sum
// is the same whichever pixel a word holds first.
template <class Pixel>
CPU_ENGINE_INLINE typename PixelTraits<Pixel>::Term laplacian_pixel_pairs(const Pixel* above,
                                                                          const Pixel* centre,
                                                                          const Pixel* below,
                                                                          int pairs) {
    using Response = typename PixelTraits<Pixel>::Response;
    using Term = typename PixelTraits<Pixel>::Term;
    using Pair = std::conditional_t<sizeof(Pixel) == 1, std::uint16_t, std::uint32_t>;
    constexpr unsigned kShift = 8 * sizeof(Pixel);
    constexpr Pair kLow = std::numeric_limits<Pixel>::max();
    const auto pair_at = [](const Pixel* pixels) {
        Pair pair;
        std::memcpy(&pair, pixels, sizeof pair);
        return pair;
    };
    Term even = 0;
    Term odd = 0;
    for (int k = 0; k < pairs; ++k) {
        const int x = 2 * k;
        const Pair up = pair_at(above + x);
        const Pair down = pair_at(below + x);
        const Pair left = pair_at(centre + x - 1);
        const Pair right = pair_at(centre + x + 1);
        const Pair middle = pair_at(centre + x);
        const auto low = static_cast<Response>(
            static_cast<Response>(up & kLow) + static_cast<Response>(down & kLow) +
            static_cast<Response>(left & kLow) + static_cast<Response>(right & kLow) +
            kLaplacianCentreWeight * static_cast<Response>(middle & kLow));
        const auto high = static_cast<Response>(
            static_cast<Response>(up >> kShift) + static_cast<Response>(down >> kShift) +
            static_cast<Response>(left >> kShift) + static_cast<Response>(right >> kShift) +
            kLaplacianCentreWeight * static_cast<Response>(middle >> kShift));
        even += static_cast<Term>(low) * static_cast<Term>(low);
        odd += static_cast<Term>(high) * static_cast<Term>(high);
    }
    return even + odd;
}

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
            const int pairs = (x1 - x0) / 2;
            Term run = laplacian_pixel_pairs(above + x0, centre + x0, below + x0, pairs);
            for (int x = x0 + 2 * pairs; x < x1; ++x) {
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
    return window_terms(laplacian_anchors(width), laplacian_anchors(height), 3);
}

}  // namespace bestfocus
