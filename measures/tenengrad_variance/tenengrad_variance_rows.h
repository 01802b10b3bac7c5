// Tenengrad variance's CPU row sums: Tenengrad's terms T = Gx^2 + Gy^2 from the separable Sobel
// sums of tenengrad_rows.h, and their squares; its score is in tenengrad_variance_score.h.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "measure_exactly.h"
#include "pixel_traits.h"
#include "simd_dispatch.h"
#include "square_pair_sums.h"
#include "tenengrad/tenengrad_rows.h"
#include "tenengrad/tenengrad_stencil.h"
#include "tenengrad_variance_score.h"

namespace bestfocus {

// The squares of a run of terms. 8-bit terms stay below 2^21: their squares fit 64 bits with room
// for runs of 2^21 of them.
template <class Pixel>
struct TermSquaresRun {
    std::uint64_t sum = 0;
    void add(std::uint32_t t) { sum += static_cast<std::uint64_t>(t) * t; }
    Int128 total() const { return sum; }
};

// 16-bit terms reach 2^38: split at bit 19, t = h 2^19 + l and t^2 = h^2 2^38 + 2hl 2^19 + l^2,
// every product of two values below 2^19 (32-bit lanes multiplied into 64-bit ones).
template <>
struct TermSquaresRun<std::uint16_t> {
    std::uint64_t high = 0;
    std::uint64_t cross = 0;
    std::uint64_t low = 0;
    void add(std::int64_t t) {
        const auto h = static_cast<std::uint64_t>(t) >> 19;
        const auto l = static_cast<std::uint64_t>(t) & ((1U << 19) - 1);
        high += h * h;
        cross += h * l;
        low += l * l;
    }
    Int128 total() const { return (Int128(high) << 38) + (Int128(cross) << 20) + low; }
};
static_assert(tenengrad_largest_term(65535) < (1LL << 38), "16-bit terms are split at bit 19");

template <class Pixel>
CPU_ENGINE_INLINE ExactSums tenengrad_variance_rows(const Pixel* image, std::ptrdiff_t row_stride,
                                                    int width, int /*height*/, int first_row,
                                                    int end_row) {
    using Response = typename PixelTraits<Pixel>::Response;
    using Term = typename PixelTraits<Pixel>::Term;
    constexpr int kChunk =
        columns_per_chunk<Pixel>(tenengrad_largest_term(PixelTraits<Pixel>::kMaxPixel));
    const int anchors_x = tenengrad_anchors(width);
    Response column_sums[kChunk + 2];
    Response column_differences[kChunk + 2];
    Term run[kChunk];
    Response gradients_x[kChunk];
    Response gradients_y[kChunk];
    Int128 terms = 0;
    Int128 squares = 0;
    for (int y = first_row; y < end_row; ++y) {
        const Pixel* top = image + y * row_stride;
        for (int x0 = 0; x0 < anchors_x;) {
            const int anchors = std::min(kChunk, anchors_x - x0);
            sobel_columns(top, row_stride, x0, anchors + 2, column_sums, column_differences);
            if constexpr (std::is_same_v<Pixel, std::uint8_t>) {
                // The gradients to two scratch rows, the terms and their squares made and added
                // from them in one pass (square_pair_sums.h: |G| <= 4 * 255, a run of 1024).
                static_assert(kChunk <= 1024, "square_pair_sums takes runs of at most 1024");
                for (int k = 0; k < anchors; ++k) {
                    gradients_x[k] = static_cast<Response>(column_sums[k] - column_sums[k + 2]);
                    gradients_y[k] = static_cast<Response>(column_differences[k] +
                                                           2 * column_differences[k + 1] +
                                                           column_differences[k + 2]);
                }
                const SquarePairSums run = square_pair_sums(gradients_x, gradients_y, anchors);
                terms += run.terms;
                squares += run.squares;
                x0 += anchors;
                continue;
            }
            // The terms to a scratch row first: the gradients then stay in Response lanes (16-bit
            // at 8 bits), and the squares' loop widens nothing but the terms.
            for (int k = 0; k < anchors; ++k) {
                const auto gx = static_cast<Response>(column_sums[k] - column_sums[k + 2]);
                const auto gy =
                    static_cast<Response>(column_differences[k] + 2 * column_differences[k + 1] +
                                          column_differences[k + 2]);
                run[k] = static_cast<Term>(gx) * gx + static_cast<Term>(gy) * gy;
            }
            Term run_terms = 0;
            TermSquaresRun<Pixel> run_squares;
            for (int k = 0; k < anchors; ++k) {
                run_terms += run[k];
                run_squares.add(run[k]);
            }
            terms += run_terms;
            squares += run_squares.total();
            x0 += anchors;
        }
    }
    ExactSums sums;
    sums.values[kTermSum] = terms;
    sums.values[kSquareSumHigh] = squares >> 32;
    sums.values[kSquareSumLow] = squares & 0xffffffff;
    // A band's caller may ask for an empty range the wrong way round (end_row < first_row).
    sums.values[kAnchorCount] = Int128(std::max(end_row - first_row, 0)) * std::max(anchors_x, 0);
    return sums;
}

// One term per Tenengrad window anchor.
inline TermRows tenengrad_variance_terms(int width, int height) {
    return window_terms(tenengrad_anchors(width), tenengrad_anchors(height), 3);
}

}  // namespace bestfocus
