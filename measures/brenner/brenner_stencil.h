// Brenner's window, for the kernels and the CPU row sums alike: a column of three pixels, the
// bottom one's difference from the top one.
#pragma once

#include "host_device.h"

namespace bestfocus {

// Window anchors (top pixels) along each side: every column, and every row with two rows below.
BESTFOCUS_HOST_DEVICE constexpr int brenner_anchors_x(int width) { return width; }
BESTFOCUS_HOST_DEVICE constexpr int brenner_anchors_y(int height) { return height - 2; }

// Terms are products of two pixels: a score is the total over max_pixel^2.
constexpr int brenner_pixel_power = 2;

// The largest difference in magnitude, and the largest term, its square.
constexpr long long brenner_largest_response(long long max_pixel) { return max_pixel; }
constexpr long long brenner_largest_term(long long max_pixel) { return max_pixel * max_pixel; }

// The term of the window whose top pixel is *top: the pixel two rows below less it, in Response,
// squared in Term. Both are double for Calcular_Brenner_Kernel's normalised pixels; the exact
// kernels subtract their integer pixels in 32 bits and square in 64.
template <class Term, class Response = Term, class Pixel>
BESTFOCUS_HOST_DEVICE inline Term brenner_term(const Pixel* top, int row_stride) {
    const Response difference =
        static_cast<Response>(top[2 * row_stride]) - static_cast<Response>(top[0]);
    return static_cast<Term>(difference) * static_cast<Term>(difference);
}

}  // namespace bestfocus
