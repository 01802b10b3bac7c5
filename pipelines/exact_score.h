// A measure's score from the exact integer total of its terms: both engines add the terms in
// integers (pixel steps squared) and divide once, here, so they give the same bits.
#pragma once

#include <cstdint>
#include <limits>

namespace bestfocus {

// GCC's and Clang's 128-bit integer; __extension__ keeps pedantic builds quiet about it.
__extension__ typedef __int128 Int128;

// The largest value of a pixel of that type: 255 or 65535. A score takes pixels as value / this.
template <class Pixel>
constexpr long long kMaxPixelOf = std::numeric_limits<Pixel>::max();

// total / max_pixel^2 as the nearest double (ties to even): the correctly rounded quotient, also
// past 2^53, where the total itself has no exact double. max_pixel is at least 2.
double exact_score(Int128 total, long long max_pixel);

}  // namespace bestfocus
