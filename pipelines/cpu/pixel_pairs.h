// Pixels two at a time, for the row sums: the unsigned word twice a pixel's width at column x holds
// pixels x and x + 1, so masking its low half and shifting down its high half gives one pixel of
// each pair already widened, without the shuffles that widening pixels one by one costs the
// vectorised loops. Which pixel the low half holds depends on the machine's byte order; the row
// sums add the squares of both halves, so their totals do not.
#pragma once

#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

#include "pixel_traits.h"
#include "simd_dispatch.h"

namespace bestfocus {

template <class Pixel>
struct PixelPairs {
    using Response = typename PixelTraits<Pixel>::Response;
    using Word = std::conditional_t<sizeof(Pixel) == 1, std::uint16_t, std::uint32_t>;
    static constexpr unsigned kShift = 8 * sizeof(Pixel);
    static constexpr Word kLow = std::numeric_limits<Pixel>::max();

    // The pixels at x and x + 1 of a row.
    CPU_ENGINE_INLINE static Word at(const Pixel* row, int x) {
        Word word;
        std::memcpy(&word, row + x, sizeof word);
        return word;
    }
    CPU_ENGINE_INLINE static Response low(Word word) { return static_cast<Response>(word & kLow); }
    CPU_ENGINE_INLINE static Response high(Word word) {
        return static_cast<Response>(word >> kShift);
    }
};

}  // namespace bestfocus
