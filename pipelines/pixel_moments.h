// The plain sums over an image's pixels that the variance and autocorrelation measures combine,
// for the kernels and the CPU row sums alike: the pixels, their squares, and the products of each
// pixel with the one below it.
#pragma once

#include "host_device.h"

namespace bestfocus {

enum class PixelMoment { pixels, squares, row_products };

// Anchors along each side: every pixel, or every pixel with a row below it for the products.
BESTFOCUS_HOST_DEVICE constexpr int moment_anchors_x(int width) { return width; }
BESTFOCUS_HOST_DEVICE constexpr int moment_anchors_y(PixelMoment moment, int height) {
    return moment == PixelMoment::row_products ? height - 1 : height;
}

// The largest term in magnitude.
constexpr long long moment_largest_term(PixelMoment moment, long long max_pixel) {
    return moment == PixelMoment::pixels ? max_pixel : max_pixel * max_pixel;
}

// The term at *pixel, whose row lies row_stride pixels above the next: computed in Term.
template <PixelMoment moment, class Term, class Pixel>
BESTFOCUS_HOST_DEVICE inline Term moment_term(const Pixel* pixel, int row_stride) {
    const Term value = static_cast<Term>(pixel[0]);
    if (moment == PixelMoment::pixels) return value;
    if (moment == PixelMoment::squares) return value * value;
    return value * static_cast<Term>(pixel[row_stride]);
}

}  // namespace bestfocus
