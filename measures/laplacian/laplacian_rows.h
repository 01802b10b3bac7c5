// Laplacian energy as exact integer sums over rows: for the window anchored at (x, y), centred on
// (x + 1, y + 1),
//   L = p(x + 1, y) + p(x + 1, y + 2) + p(x, y + 1) + p(x + 2, y + 1) - 4 p(x + 1, y + 1),
// and the term is L^2. Five loads per pixel from three rows the cache already holds; 8-bit pixels
// two to a 16-bit lane pair (laplacian_byte_pairs).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "laplacian_stencil.h"
#include "measure_exactly.h"
#include "pixel_traits.h"
#include "simd_dispatch.h"

namespace bestfocus {

// 8-bit pixels two at a time: the 16-bit word at x holds pixels x and x + 1, so masking its low
// bytes and shifting down its high ones splits a run of anchors into the even ones and the odd ones,
// each already widened to 16 bits without a shuffle. The squares of the two sets are added apart;
// their sum is the same whichever byte a word holds first.
CPU_ENGINE_INLINE std::int32_t laplacian_byte_pairs(const std::uint8_t* above,
                                                    const std::uint8_t* centre,
                                                    const std::uint8_t* below, int pairs) {
    constexpr unsigned kLowByte = 0xFF;
    std::int32_t even = 0;
    std::int32_t odd = 0;
    for (int k = 0; k < pairs; ++k) {
        const int x = 2 * k;
        std::uint16_t up, down, left, right, middle;
        std::memcpy(&up, above + x, 2);
        std::memcpy(&down, below + x, 2);
        std::memcpy(&left, centre + x - 1, 2);
        std::memcpy(&right, centre + x + 1, 2);
        std::memcpy(&middle, centre + x, 2);
        const auto low = static_cast<std::int16_t>(
            (up & kLowByte) + (down & kLowByte) + (left & kLowByte) + (right & kLowByte) +
            kLaplacianCentreWeight * (middle & kLowByte));
        const auto high = static_cast<std::int16_t>((up >> 8) + (down >> 8) + (left >> 8) +
                                                    (right >> 8) +
                                                    kLaplacianCentreWeight * (middle >> 8));
        even += static_cast<std::int32_t>(low) * low;
        odd += static_cast<std::int32_t>(high) * high;
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
            int x = x0;
            Term run = 0;
            if constexpr (sizeof(Pixel) == 1) {
                const int pairs = (x1 - x0) / 2;
                run = laplacian_byte_pairs(above + x0, centre + x0, below + x0, pairs);
                x += 2 * pairs;
            }
            for (; x < x1; ++x) {
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
