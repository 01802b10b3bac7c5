// The Tenengrad window, for the kernels and the CPU row sums alike: 3 x 3 pixels, Gx the left
// column minus the right one and Gy the top row minus the bottom one, each weighted 1, 2, 1.
#pragma once

#include "host_device.h"

// Sobel coefficient (i, j) of Gx at 3 * i + j, and of Gy (the transpose).
#define TENENGRAD_GX_COEFFICIENTS \
    { 1, 0, -1, 2, 0, -2, 1, 0, -1 }
#define TENENGRAD_GY_COEFFICIENTS \
    { 1, 2, 1, 0, 0, 0, -1, -2, -1 }

namespace bestfocus {

// Window anchors (top-left corners) along a side of the image: every position where the window
// fits; negative for a side shorter than the window.
BESTFOCUS_HOST_DEVICE constexpr int tenengrad_anchors(int image_side) { return image_side - 2; }

// Terms are products of two pixels: a score is the total over max_pixel^2.
constexpr int tenengrad_pixel_power = 2;

// The largest gradient in magnitude (one column, or row, at max_pixel, the other at 0), and the
// largest term: both gradients at it at once (a corner pixel alone gives Gx = Gy).
constexpr long long tenengrad_largest_response(long long max_pixel) { return 4 * max_pixel; }
constexpr long long tenengrad_largest_term(long long max_pixel) {
    return 2 * tenengrad_largest_response(max_pixel) * tenengrad_largest_response(max_pixel);
}

// The term of the window whose top-left pixel is *window: Gx and Gy, each added over the window
// in row-major order skipping zero coefficients (so the centre pixel is never read) in Response,
// then Gx^2 + Gy^2 in Term. Both are double for Calcular_TEN_Kernel's normalised pixels; the exact
// kernels add their integer pixels in 32 bits (tenengrad_largest_response fits) and square in
// 64. gx_weights and gy_weights are kernel_TEN and kernel_TEN_T.
template <class Term, class Response = Term, class Pixel>
BESTFOCUS_HOST_DEVICE inline Term tenengrad_term(const Pixel* window, int row_stride,
                                                 const int* gx_weights, const int* gy_weights) {
    Response gx = 0;
    Response gy = 0;
    for (int i = 0; i < 3; ++i) {
        const Pixel* row = window + i * row_stride;
        for (int j = 0; j < 3; ++j) {
            const int k = 3 * i + j;
            if (gx_weights[k] != 0) {
                gx += gx_weights[k] * static_cast<Response>(row[j]);
            }
            if (gy_weights[k] != 0) {
                gy += gy_weights[k] * static_cast<Response>(row[j]);
            }
        }
    }
    const Term x = static_cast<Term>(gx);
    const Term y = static_cast<Term>(gy);
    return x * x + y * y;
}

}  // namespace bestfocus
