// The measures straight from their definitions, in exact integers over the pixels: plain
// loops over every term, nothing shared with the engine. A value is in pixel steps squared; divided
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

struct Tap {
    int dx;  // column offset from the window's top-left corner
    int dy;  // row offset
    int weight;
};
using Stencil = std::vector<Tap>;

// Sum over anchors x < anchors_x, y < anchors_y of the squares of each stencil's response.
template <class Image>
ExactValue exact_squared_responses(const Image& image, int anchors_x, int anchors_y,
                                   const std::vector<Stencil>& stencils) {
    long long sum = 0;
    for (int y = 0; y < anchors_y; ++y) {
        for (int x = 0; x < anchors_x; ++x) {
            for (const Stencil& stencil : stencils) {
                long long response = 0;
                for (const Tap& tap : stencil) {
                    response += tap.weight * image.at(x + tap.dx, y + tap.dy);
                }
                sum += response * response;
            }
        }
    }
    return {sum, sum};
}

// S1 pairs every pixel with the one below, S2 with the one two below; F4 = S1 - S2.
template <class Image>
ExactValue exact_vollath_f4(const Image& image) {
    long long s1 = 0;
    long long s2 = 0;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (y + 1 < image.height) s1 += image.at(x, y) * image.at(x, y + 1);
            if (y + 2 < image.height) s2 += image.at(x, y) * image.at(x, y + 2);
        }
    }
    return {s1 - s2, std::max(s1, s2)};
}

// +1 where the row and the column offset lie in the same half of the 4 x 4 window, -1 otherwise;
// anchors stop one short of the last position where the window fits.
template <class Image>
ExactValue exact_mdct(const Image& image) {
    Stencil sign_pattern;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            sign_pattern.push_back({j, i, (i < 2) == (j < 2) ? 1 : -1});
        }
    }
    return exact_squared_responses(image, image.width - 4, image.height - 4, {sign_pattern});
}

// Gx: left column minus right column, Gy: top row minus bottom row, each weighted 1, 2, 1.
template <class Image>
ExactValue exact_tenengrad(const Image& image) {
    const Stencil gx = {{0, 0, 1}, {0, 1, 2}, {0, 2, 1}, {2, 0, -1}, {2, 1, -2}, {2, 2, -1}};
    const Stencil gy = {{0, 0, 1}, {1, 0, 2}, {2, 0, 1}, {0, 2, -1}, {1, 2, -2}, {2, 2, -1}};
    return exact_squared_responses(image, image.width - 2, image.height - 2, {gx, gy});
}

// The four neighbours of the window's centre minus four times the centre.
template <class Image>
ExactValue exact_laplacian(const Image& image) {
    const Stencil laplacian = {{1, 0, 1}, {1, 2, 1}, {0, 1, 1}, {2, 1, 1}, {1, 1, -4}};
    return exact_squared_responses(image, image.width - 2, image.height - 2, {laplacian});
}

// The pixel two rows below less the pixel, at every column.
template <class Image>
ExactValue exact_brenner(const Image& image) {
    const Stencil difference = {{0, 2, 1}, {0, 0, -1}};
    return exact_squared_responses(image, image.width, image.height - 2, {difference});
}

// |2 c - left - right| + |2 c - above - below| around each window centre: linear in the pixels, so
// its value over max_pixel is given here times max_pixel, over max_pixel^2 as the others'.
template <class Image>
ExactValue exact_sum_modified_laplacian(const Image& image) {
    long long sum = 0;
    for (int y = 1; y + 1 < image.height; ++y) {
        for (int x = 1; x + 1 < image.width; ++x) {
            const long long twice = 2 * image.at(x, y);
            sum += std::abs(twice - image.at(x - 1, y) - image.at(x + 1, y)) +
                   std::abs(twice - image.at(x, y - 1) - image.at(x, y + 1));
        }
    }
    return {sum * Image::kMaxPixel, sum * Image::kMaxPixel};
}

// The variances (Tenengrad's too) and Vollath F5 are fractions of several sums, not integer totals:
// they have no reference here. tests/engines checks them against exact fractions through the tool;
// here they are checked between the engines, the bands and the thread counts.
template <class Image>
constexpr ExactValue (*exact_gray_variance)(const Image&) = nullptr;
template <class Image>
constexpr ExactValue (*exact_normalized_variance)(const Image&) = nullptr;
template <class Image>
constexpr ExactValue (*exact_vollath_f5)(const Image&) = nullptr;
template <class Image>
constexpr ExactValue (*exact_tenengrad_variance)(const Image&) = nullptr;
