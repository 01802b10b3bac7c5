// A measure's score from the exact integer sums over its pixels: both engines add the terms in
// integers (pixel steps squared) and divide once, here, so they give the same bits.
#pragma once

#include <cstdint>
#include <limits>

#include "int128.h"
#include "int256.h"

namespace bestfocus {

// The largest value of a pixel of that type: 255 or 65535. A score takes pixels as value / this.
template <class Pixel>
constexpr long long kMaxPixelOf = std::numeric_limits<Pixel>::max();

// total / max_pixel^pixel_power as the nearest double (ties to even): the correctly rounded
// quotient, also past 2^53, where the total itself has no exact double. max_pixel is 2 to 65535;
// pixel_power is 2 for the measures whose terms are products of two pixels, 1 for those whose
// terms are linear in the pixels.
double exact_score(Int128 total, long long max_pixel, int pixel_power = 2);

// The exact integer sums a measure adds over an image: one (its terms' total) for most; a measure
// that combines several (the pixels' sum, their squares' sum, ...) gives each its slot.
struct ExactSums {
    static constexpr int kCount = 4;
    Int128 values[kCount] = {};

    ExactSums& operator+=(const ExactSums& other) {
        for (int i = 0; i < kCount; ++i) values[i] += other.values[i];
        return *this;
    }
    ExactSums& operator-=(const ExactSums& other) {
        for (int i = 0; i < kCount; ++i) values[i] -= other.values[i];
        return *this;
    }
};

// A score as an exact fraction; the denominator is positive. Most numerators are 128-bit values;
// a difference of products of two sums may need more.
struct ExactRatio {
    Int256 numerator;
    Int128 denominator;
};

// A measure's score from its exact sums over an image of pixel_count pixels of at most max_pixel.
using ScoreOfSums = ExactRatio (*)(const ExactSums& sums, long long pixel_count,
                                   long long max_pixel);

// The score of a measure whose one sum is its total: the total over max_pixel^pixel_power.
template <int pixel_power>
ExactRatio total_over_max_pixel_power(const ExactSums& sums, long long, long long max_pixel) {
    return {sums.values[0], pixel_power == 1 ? Int128(max_pixel) : Int128(max_pixel) * max_pixel};
}

// numerator / denominator as the nearest double (ties to even), for any numerator and any
// positive denominator that 128-bit integers hold.
double exact_quotient(Int128 numerator, Int128 denominator);
// The same for a numerator of up to 256 bits.
double exact_quotient(const Int256& numerator, Int128 denominator);

inline double exact_score(const ExactRatio& ratio) {
    return exact_quotient(ratio.numerator, ratio.denominator);
}

}  // namespace bestfocus
