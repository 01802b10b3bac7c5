// The window measures straight from their definitions, in long double: for every window anchor
// (x, y), each of the measure's linear responses R = sum of weight * p(x + dx, y + dy) is squared,
// and the squares are summed over the anchors.
#pragma once

#include <cmath>
#include <vector>

#include "reference_value.h"

using namespace bestfocus;

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

// MDCT: weight +1 where the row and the column offset lie in the same half of the 4 x 4 window,
// -1 otherwise; anchors stop one short of the last fitting position on each axis.
constexpr bool mdct_is_window_measure = true;
inline ReferenceValue mdct_reference(const std::vector<double>& image, int width, int height) {
    Stencil sign_pattern;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            sign_pattern.push_back({j, i, (i < 2) == (j < 2) ? 1.0L : -1.0L});
        }
    }
    return sum_of_squared_responses(image, width, width - 4, height - 4, {sign_pattern});
}

// Tenengrad: Gx = left column - right column and Gy = top row - bottom row of the 3 x 3 window,
// each weighted 1, 2, 1; every fitting position counts.
constexpr bool tenengrad_is_window_measure = true;
inline ReferenceValue tenengrad_reference(const std::vector<double>& image, int width, int height) {
    const long double weights[3] = {1.0L, 2.0L, 1.0L};
    Stencil gx;
    Stencil gy;
    for (int k = 0; k < 3; ++k) {
        gx.push_back({0, k, weights[k]});
        gx.push_back({2, k, -weights[k]});
        gy.push_back({k, 0, weights[k]});
        gy.push_back({k, 2, -weights[k]});
    }
    return sum_of_squared_responses(image, width, width - 2, height - 2, {gx, gy});
}

// Laplacian: the four neighbours of the window's centre minus four times the centre.
constexpr bool laplacian_is_window_measure = true;
inline ReferenceValue laplacian_reference(const std::vector<double>& image, int width, int height) {
    const Stencil laplacian = {
        {1, 0, 1.0L}, {1, 2, 1.0L}, {0, 1, 1.0L}, {2, 1, 1.0L}, {1, 1, -4.0L}};
    return sum_of_squared_responses(image, width, width - 2, height - 2, {laplacian});
}

// Brenner: the pixel two rows below less the pixel, at every column.
constexpr bool brenner_is_window_measure = true;
inline ReferenceValue brenner_reference(const std::vector<double>& image, int width, int height) {
    const Stencil difference = {{0, 2, 1.0L}, {0, 0, -1.0L}};
    return sum_of_squared_responses(image, width, width, height - 2, {difference});
}

// Sum-modified Laplacian: |2 c - left - right| + |2 c - above - below| around each window centre.
constexpr bool sum_modified_laplacian_is_window_measure = true;
inline ReferenceValue sum_modified_laplacian_reference(const std::vector<double>& image, int width,
                                                       int height) {
    auto p = [&](int x, int y) -> long double { return image[static_cast<size_t>(y) * width + x]; };
    ReferenceValue sum{0.0L, 0.0L};
    for (int y = 1; y + 1 < height; ++y) {
        for (int x = 1; x + 1 < width; ++x) {
            sum.value += std::fabs(2 * p(x, y) - p(x - 1, y) - p(x + 1, y)) +
                         std::fabs(2 * p(x, y) - p(x, y - 1) - p(x, y + 1));
            sum.magnitude += 4 * std::fabs(p(x, y)) + std::fabs(p(x - 1, y)) +
                             std::fabs(p(x + 1, y)) + std::fabs(p(x, y - 1)) +
                             std::fabs(p(x, y + 1));
        }
    }
    return sum;
}

// Tenengrad variance: the variance of Tenengrad's terms T = Gx^2 + Gy^2 over its n anchors,
// (n SumT^2 - (SumT)^2) / n^2; not a sum of squared responses. The magnitude bounds the rounding
// of each T by its sum of |weight * p|, squared and summed twice.
constexpr bool tenengrad_variance_is_window_measure = false;
inline ReferenceValue tenengrad_variance_reference(const std::vector<double>& image, int width,
                                                   int height) {
    const long double weights[3] = {1.0L, 2.0L, 1.0L};
    long double n = 0, sum = 0, squares = 0, magnitude = 0;
    for (int y = 0; y + 2 < height; ++y) {
        for (int x = 0; x + 2 < width; ++x) {
            long double gx = 0, gy = 0, scale = 0;
            for (int k = 0; k < 3; ++k) {
                const auto p = [&](int dx, int dy) -> long double {
                    return image[static_cast<size_t>(y + dy) * width + x + dx];
                };
                gx += weights[k] * (p(0, k) - p(2, k));
                gy += weights[k] * (p(k, 0) - p(k, 2));
                scale += weights[k] * (std::fabs(p(0, k)) + std::fabs(p(2, k)) +
                                       std::fabs(p(k, 0)) + std::fabs(p(k, 2)));
            }
            const long double term = gx * gx + gy * gy;
            n += 1;
            sum += term;
            squares += term * term;
            magnitude += scale * scale * scale * scale;
        }
    }
    if (n == 0) return {0.0L, 0.0L};
    return {(n * squares - sum * sum) / (n * n), 4 * magnitude / n};
}
