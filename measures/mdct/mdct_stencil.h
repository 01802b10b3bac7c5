// The MDCT window, for the kernels and the CPU row sums alike: 4 x 4 pixels under a sign pattern,
// the outer product of (+1, +1, -1, -1) down the rows and (+1, +1, -1, -1) along the columns.
#pragma once

#include "host_device.h"

// Sign (i, j) at 4 * i + j: +1 where row and column offset lie in the same half of the window.
#define MDCT_SIGN_PATTERN \
    { 1, 1, -1, -1, 1, 1, -1, -1, -1, -1, 1, 1, -1, -1, 1, 1 }

namespace bestfocus {

// Window anchors along a side of the image: one fewer than the positions where the 4-pixel window
// fits, so the last row and the last column of the image never take part; negative for a side
// shorter than that.
BESTFOCUS_HOST_DEVICE constexpr int mdct_anchors(int image_side) { return image_side - 4; }

// Terms are products of two pixels: a score is the total over max_pixel^2.
constexpr int mdct_pixel_power = 2;

// The largest window sum in magnitude (the eight + pixels at max_pixel, the eight - at 0), and
// the largest term, its square.
constexpr long long mdct_largest_response(long long max_pixel) { return 8 * max_pixel; }
constexpr long long mdct_largest_term(long long max_pixel) {
    return mdct_largest_response(max_pixel) * mdct_largest_response(max_pixel);
}

// The term of the window whose top-left pixel is *window: the sum of sign (i, j) times the pixel
// i rows below and j columns right, added row by row from the top, left to right, in Response,
// squared in Term. Both are double for Calcular_MDCT_Kernel's normalised pixels; the exact
// kernels add their integer pixels in 32 bits (mdct_largest_response fits) and square in 64.
// signs is the sign pattern (kernel_MDCT).
template <class Term, class Response = Term, class Pixel>
BESTFOCUS_HOST_DEVICE inline Term mdct_term(const Pixel* window, int row_stride, const int* signs) {
    Response s = 0;
    for (int i = 0; i < 4; ++i) {
        const Pixel* row = window + i * row_stride;
        for (int j = 0; j < 4; ++j) {
            s += signs[4 * i + j] * static_cast<Response>(row[j]);
        }
    }
    return static_cast<Term>(s) * static_cast<Term>(s);
}

}  // namespace bestfocus
