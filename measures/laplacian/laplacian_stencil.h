// The Laplacian window, for the kernels and the CPU row sums alike: the four neighbours of the
// centre of a 3 x 3 window minus four times the centre; the corners take no part.
#pragma once

#include "host_device.h"

namespace bestfocus {

// Window anchors (top-left corners) along a side of the image: every position where the window
// fits; negative for a side shorter than the window.
BESTFOCUS_HOST_DEVICE constexpr int laplacian_anchors(int image_side) { return image_side - 2; }

// The centre's weight; each of the four neighbours weighs 1.
constexpr int kLaplacianCentreWeight = -4;

// Terms are products of two pixels: a score is the total over max_pixel^2.
constexpr int laplacian_pixel_power = 2;

// The largest Laplacian in magnitude (four neighbours at max_pixel around a 0, or the reverse),
// and the largest term, its square.
constexpr long long laplacian_largest_response(long long max_pixel) { return 4 * max_pixel; }
constexpr long long laplacian_largest_term(long long max_pixel) {
    return laplacian_largest_response(max_pixel) * laplacian_largest_response(max_pixel);
}

// The term of the window centred on *centre: the Laplacian, added in this order (above, below,
// left, right, then the centre term), squared. Value is double for Calcular_LAP_Kernel's
// normalised pixels and a 64-bit integer for the exact kernels' integer pixels.
template <class Value, class Pixel>
BESTFOCUS_HOST_DEVICE inline Value laplacian_term(const Pixel* centre, int row_stride) {
    const Value laplacian = static_cast<Value>(centre[-row_stride]) +
                            static_cast<Value>(centre[row_stride]) +
                            static_cast<Value>(centre[-1]) + static_cast<Value>(centre[1]) +
                            kLaplacianCentreWeight * static_cast<Value>(centre[0]);
    return laplacian * laplacian;
}

}  // namespace bestfocus
