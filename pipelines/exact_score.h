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

// total / max_pixel^pixel_power as the nearest double (ties to even): the correctly rounded
// quotient, also past 2^53, where the total itself has no exact double. max_pixel is 2 to 65535;
// pixel_power is 2 for the measures whose terms are products of two pixels, 1 for those whose
// terms are linear in the pixels.
double exact_score(Int128 total, long long max_pixel, int pixel_power = 2);

}  // namespace bestfocus
