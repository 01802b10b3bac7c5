// The sum-modified Laplacian's window, for the kernels and the CPU row sums alike: the centre of a
// 3 x 3 window against its neighbours across and down, each pair apart; the corners take no part.
#pragma once

#include "host_device.h"

namespace bestfocus {

// Window anchors (top-left corners) along a side of the image: every position where the window
// fits; negative for a side shorter than the window.
BESTFOCUS_HOST_DEVICE constexpr int sum_modified_laplacian_anchors(int image_side) {
    return image_side - 2;
}

// Terms are linear in the pixels: a score is the total over max_pixel.
constexpr int sum_modified_laplacian_pixel_power = 1;

// The largest second difference in magnitude (twice a pixel at max_pixel between two at 0), and
// the largest term, two of them.
constexpr long long sum_modified_laplacian_largest_response(long long max_pixel) {
    return 2 * max_pixel;
}
constexpr long long sum_modified_laplacian_largest_term(long long max_pixel) {
    return 2 * sum_modified_laplacian_largest_response(max_pixel);
}

// The term of the window centred on *centre: |2 c - left - right| + |2 c - above - below|, the
// differences in Response, their magnitudes added in Term. Both are double for
// Calcular_SML_Kernel's normalised pixels; the exact kernels work on their integer pixels in 32
// and 64 bits.
template <class Term, class Response = Term, class Pixel>
BESTFOCUS_HOST_DEVICE inline Term sum_modified_laplacian_term(const Pixel* centre, int row_stride) {
    const Response twice = 2 * static_cast<Response>(centre[0]);
    const Response across =
        twice - static_cast<Response>(centre[-1]) - static_cast<Response>(centre[1]);
    const Response down = twice - static_cast<Response>(centre[-row_stride]) -
                          static_cast<Response>(centre[row_stride]);
    return static_cast<Term>(across < 0 ? -across : across) +
           static_cast<Term>(down < 0 ? -down : down);
}

}  // namespace bestfocus
