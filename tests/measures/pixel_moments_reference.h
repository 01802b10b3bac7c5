// The measures of the pixels' sums straight from their definitions, in long double: S1 the
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

// (N S2 - S1^2) / N^2: a difference of two sums, each the scale of its rounding.
constexpr bool gray_variance_is_window_measure = false;
inline ReferenceValue gray_variance_reference(const std::vector<double>& image, int width,
                                              int height) {
    const PixelMomentSums m = pixel_moment_sums(image, width, height);
    if (m.n == 0) return {0.0L, 0.0L};
    return {(m.n * m.s2 - m.s1 * m.s1) / (m.n * m.n),
            (m.n * m.s2 + m.abs_s1 * m.abs_s1) / (m.n * m.n)};
}

// (N S2 - S1^2) / (N S1), 0 for S1 = 0.
constexpr bool normalized_variance_is_window_measure = false;
inline ReferenceValue normalized_variance_reference(const std::vector<double>& image, int width,
                                                    int height) {
    const PixelMomentSums m = pixel_moment_sums(image, width, height);
    if (m.s1 == 0) return {0.0L, 0.0L};
    return {(m.n * m.s2 - m.s1 * m.s1) / (m.n * m.s1),
            (m.n * m.s2 + m.abs_s1 * m.abs_s1) / (m.n * std::fabs(m.s1))};
}

// (N P - S1^2) / N, 0 on an image of one row.
constexpr bool vollath_f5_is_window_measure = false;
inline ReferenceValue vollath_f5_reference(const std::vector<double>& image, int width,
                                           int height) {
    const PixelMomentSums m = pixel_moment_sums(image, width, height);
    if (height < 2 || m.n == 0) return {0.0L, 0.0L};
    return {(m.n * m.p - m.s1 * m.s1) / m.n, (m.n * m.abs_p + m.abs_s1 * m.abs_s1) / m.n};
}
