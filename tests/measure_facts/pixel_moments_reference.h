// For the references of the measures of the pixels' sums, in long double: S1 the
// pixels' sum, S2 their squares' sum, P the sum of each pixel's product with the one below, over
// the N pixels taken as value / 255 (so M = 1 here).
#pragma once

#include <cmath>
#include <vector>

#include "reference_value.h"

struct PixelMomentSums {
    long double n = 0, s1 = 0, s2 = 0, p = 0;
    long double abs_s1 = 0, abs_p = 0;  // the sums of the terms' magnitudes: rounding's scale
};

inline PixelMomentSums pixel_moment_sums(const std::vector<double>& image, int width, int height) {
    PixelMomentSums sums;
    sums.n = static_cast<long double>(width) * height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const long double value = image[static_cast<size_t>(y) * width + x];
            sums.s1 += value;
            sums.abs_s1 += std::fabs(value);
            sums.s2 += value * value;
            if (y + 1 < height) {
                const long double product = value * image[static_cast<size_t>(y + 1) * width + x];
                sums.p += product;
                sums.abs_p += std::fabs(product);
            }
        }
    }
    return sums;
}
