// Sums of the terms t = a^2 + b^2 of two rows of 16-bit values and of their squares, exactly. The
// vectoriser keeps the terms in order, which costs shuffles and lane permutes around every
// multiply; the sums do not need the order, so the AVX2 version makes each term with one
// multiply-add of interleaved values and squares the terms in their even and odd 32-bit lanes.
#pragma once

#include <cstdint>

namespace bestfocus {

struct SquarePairSums {
    std::uint64_t terms = 0;
    std::uint64_t squares = 0;
};

// The sums over k < count of t = a[k]^2 + b[k]^2 and of t^2, for |a[k]|, |b[k]| <= 1024 and count
// at most 1024 (so that every partial sum fits its lane), on the instruction set the row sums use
// (simd_dispatch.h).
SquarePairSums square_pair_sums(const std::int16_t* a, const std::int16_t* b, int count);

}  // namespace bestfocus
