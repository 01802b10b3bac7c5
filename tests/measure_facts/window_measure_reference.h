// For the window measures' references, in long double: for every window anchor (x, y), each of
// the measure's linear responses R = sum of weight * p(x + dx, y + dy) is squared, and the squares
// are summed over the anchors.
#pragma once

#include <cmath>
#include <vector>

#include "reference_value.h"

struct Tap {
    int dx;  // column offset from the window's top-left corner
    int dy;  // row offset
    long double weight;
};
using Stencil = std::vector<Tap>;

// Sum over anchors x < anchors_x, y < anchors_y of R^2 for every stencil. The magnitude is the sum
// of (sum of |weight * p|)^2, which bounds the rounding of each response before it is squared.
inline ReferenceValue sum_of_squared_responses(const std::vector<double>& image, int width,
                                               int anchors_x, int anchors_y,
                                               const std::vector<Stencil>& stencils) {
    ReferenceValue sum{0.0L, 0.0L};
    for (int y = 0; y < anchors_y; ++y) {
        for (int x = 0; x < anchors_x; ++x) {
            for (const Stencil& stencil : stencils) {
                long double response = 0.0L;
                long double scale = 0.0L;
                for (const Tap& tap : stencil) {
                    const long double term =
                        tap.weight * image[static_cast<size_t>(y + tap.dy) * width + x + tap.dx];
                    response += term;
                    scale += std::fabs(term);
                }
                sum.value += response * response;
                sum.magnitude += scale * scale;
            }
        }
    }
    return sum;
}
