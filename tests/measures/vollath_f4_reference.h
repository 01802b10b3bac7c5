// Vollath F4 straight from its definition, in long double:
//   F4 = sum over rows y <= H - 2 of I(x, y) * I(x, y + 1) - sum over rows y <= H - 3 of
//        I(x, y) * I(x, y + 2).
#pragma once

#include <cmath>
#include <vector>

#include "reference_value.h"

// Products of pixel pairs, not a window's responses.
constexpr bool vollath_f4_is_window_measure = false;
inline ReferenceValue vollath_f4_reference(const std::vector<double>& image, int width,
                                           int height) {
    auto pixel = [&](int x, int y) -> long double {
        return image[static_cast<size_t>(y) * width + x];
    };
    ReferenceValue f4{0.0L, 0.0L};
    for (int y = 0; y + 1 < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const long double term = pixel(x, y) * pixel(x, y + 1);
            f4.value += term;
            f4.magnitude += std::fabs(term);
        }
    }
    for (int y = 0; y + 2 < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const long double term = pixel(x, y) * pixel(x, y + 2);
            f4.value -= term;
            f4.magnitude += std::fabs(term);
        }
    }
    return f4;
}
