// For the measures' exact references, in exact integers over the pixels: plain loops over every
// term, nothing shared with the engine. A value is in pixel steps squared; divided
// by 255^2 (65535^2 for 16-bit pixels) it is the measure on the normalised pixels. long long holds
// every value of the test images: fewer than 2^24 terms of at most 2^39 each.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

struct ExactImage {
    static constexpr long long kMaxPixel = 255;
    int width;
    int height;
    std::vector<std::uint8_t> bytes;  // row-major, rows back to back

    long long at(int x, int y) const { return bytes[static_cast<size_t>(y) * width + x]; }
};

struct ExactImage16 {
    static constexpr long long kMaxPixel = 65535;
    int width;
    int height;
    std::vector<std::uint16_t> words;  // row-major, rows back to back

    long long at(int x, int y) const { return words[static_cast<size_t>(y) * width + x]; }
};

struct ExactValue {
    long long value;
    long long magnitude;  // the larger of the sums whose difference is the value, for tolerances
};

struct ExactTap {
    int dx;  // column offset from the window's top-left corner
    int dy;  // row offset
    int weight;
};
using ExactStencil = std::vector<ExactTap>;

// Sum over anchors x < anchors_x, y < anchors_y of the squares of each stencil's response.
template <class Image>
ExactValue exact_squared_responses(const Image& image, int anchors_x, int anchors_y,
                                   const std::vector<ExactStencil>& stencils) {
    long long sum = 0;
    for (int y = 0; y < anchors_y; ++y) {
        for (int x = 0; x < anchors_x; ++x) {
            for (const ExactStencil& stencil : stencils) {
                long long response = 0;
                for (const ExactTap& tap : stencil) {
                    response += tap.weight * image.at(x + tap.dx, y + tap.dy);
                }
                sum += response * response;
            }
        }
    }
    return {sum, sum};
}
