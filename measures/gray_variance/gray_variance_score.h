// Gray variance: the variance of the pixels, (N S2 - S1^2) / (N^2 M^2), from the pixels' sum S1
// and their squares' sum S2 over N pixels of at most M. With N below 2^31 and M at most 65535 the
// numerator and the denominator stay below 2^95.
#pragma once

#include "exact_score.h"

namespace bestfocus {

inline ExactRatio gray_variance_score(const ExactSums& sums, long long pixel_count,
                                      long long max_pixel) {
    const Int128 n = pixel_count;
    const Int128 s1 = sums.values[0];
    const Int128 s2 = sums.values[1];
    return {n * s2 - s1 * s1, n * n * max_pixel * max_pixel};
}

}  // namespace bestfocus
