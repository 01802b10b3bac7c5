// Random 8-bit images of the sizes the engine must handle: single pixels, single rows and
// columns, images narrower or shorter than each window, odd sizes, and rows long enough to span
// several of the engine's column runs.
#pragma once

#include <random>
#include <vector>

#include "exact_reference.h"

using namespace bestfocus;

struct Size {
    int width;
    int height;
};

inline std::vector<Size> awkward_sizes() {
    std::vector<Size> sizes = {{1, 1}, {1, 9}, {9, 1},    {2, 7},    {7, 2},    {3, 3},
                               {4, 4}, {5, 5}, {3, 11},   {11, 3},   {4, 13},   {13, 4},
                               {6, 5}, {5, 6}, {2049, 7}, {4103, 6}, {1031, 9}, {33001, 3}};
    std::mt19937 generator(20261207u);
    std::uniform_int_distribution<int> side(1, 60);
    for (int i = 0; i < 12; ++i) {
        sizes.push_back({2 * side(generator) + 1, 2 * side(generator) + 1});
    }
    return sizes;
}

inline ExactImage random_image(Size size, unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    ExactImage image{size.width, size.height, {}};
    image.bytes.resize(static_cast<size_t>(size.width) * size.height);
    for (auto& pixel : image.bytes) {
        pixel = static_cast<std::uint8_t>(byte(generator));
    }
    return image;
}
