// Vollath F5: (N P - S1^2) / (N M^2), from the pixels' sum S1 and the sum P of each pixel's product
// with the one below (rows 0 to H - 2) over N pixels of at most M; negative where neighbours
// correlate less than the mean predicts. With N below 2^31 and M at most 65535 the numerator stays
// below 2^95 and the denominator below 2^63.
#pragma once

#include "exact_score.h"

namespace bestfocus {

inline ExactRatio vollath_f5_score(const ExactSums& sums, long long pixel_count,
                                   long long max_pixel) {
    const Int128 n = pixel_count;
    const Int128 s1 = sums.values[0];
    const Int128 p = sums.values[1];
    return {n * p - s1 * s1, n * max_pixel * max_pixel};
}

}  // namespace bestfocus
