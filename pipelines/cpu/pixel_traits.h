// The integer types the row sums of each pixel depth work in. Every term is exact: a linear
// response (a window sum with small integer weights) fits `Response`, a square or a product of
// two pixels fits `Term`, and a run of `Term`s is added in `Term` for at most as many columns as
// cannot overflow it (columns_per_chunk) before it joins the `Total`.
#pragma once

#include <cstdint>
#include <limits>

#include "exact_score.h"

namespace bestfocus {

template <class Pixel>
struct PixelTraits;

// 8-bit pixels: responses in 16 bits, terms in 32 bits (each measure checks its largest response
// and term against them where it is defined). 16-bit lanes let the compiler use the
// multiply-and-add-pairs instructions for the squares.
template <>
struct PixelTraits<std::uint8_t> {
    using Response = std::int16_t;
    using Term = std::int32_t;
    using Total = long long;  // 2^31 terms of at most 2^22 stay below 2^53
    static constexpr long long kMaxPixel = kMaxPixelOf<std::uint8_t>;
};

// 16-bit pixels: responses reach 8 * 65535 = 524280 (MDCT), so 32 bits hold them; a term reaches
// at most (8 * 65535)^2, about 2.7e11 (a sum of two squared gradients 2 * (4 * 65535)^2,
// about 1.4e11), so 64 bits hold it with room for 2048-column runs. A total of up to 2^31 such
// terms passes 2^63 (it stays below 2^31 * 2^39 = 2^70), hence 128 bits.
template <>
struct PixelTraits<std::uint16_t> {
    using Response = std::int32_t;
    using Term = std::int64_t;
    using Total = Int128;
    static constexpr long long kMaxPixel = kMaxPixelOf<std::uint16_t>;
};

// Whether a measure whose responses reach largest_response in magnitude and whose terms reach
// largest_term (in pixel steps) computes them exactly in the types of that pixel depth.
template <class Pixel>
constexpr bool fits_pixel_traits(long long largest_response, long long largest_term) {
    return largest_response <= std::numeric_limits<typename PixelTraits<Pixel>::Response>::max() &&
           largest_term <= std::numeric_limits<typename PixelTraits<Pixel>::Term>::max();
}

// Columns whose terms are added in one run: the most, up to a cap that keeps a run's scratch rows
// in the first-level cache, a multiple of 64 so that vector loops have no remainder on full runs.
template <class Pixel>
constexpr int columns_per_chunk(long long max_term) {
    constexpr long long kCap = 2048;
    const long long fit = std::numeric_limits<typename PixelTraits<Pixel>::Term>::max() / max_term;
    const long long columns = fit < kCap ? fit : kCap;
    return static_cast<int>(columns - columns % 64);
}

}  // namespace bestfocus
