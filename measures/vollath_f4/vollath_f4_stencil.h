// Vollath F4's products, for the kernels and the CPU row sums alike: each pixel times the one a
// row below (S1) and the one two rows below (S2); F4 = S1 - S2.
#pragma once

#include "host_device.h"

namespace bestfocus {

// Terms are products of two pixels: a score is the total over max_pixel^2.
constexpr int vollath_f4_pixel_power = 2;

// The largest product of two pixels, and the largest term of the exact sums, one pixel times the
// difference of two (or, on the last row pair, times one): max_pixel^2 in magnitude either way.
constexpr long long vollath_f4_largest_response(long long max_pixel) { return max_pixel; }
constexpr long long vollath_f4_largest_term(long long max_pixel) { return max_pixel * max_pixel; }

// *pixel times the pixel `shift` elements further on. Value is double for
// Calcular_VollathF4_Kernel_s2's normalised pixels and a 64-bit integer for the exact kernels'
// integer pixels.
template <class Value, class Pixel>
BESTFOCUS_HOST_DEVICE inline Value vollath_f4_product(const Pixel* pixel, long long shift) {
    return static_cast<Value>(pixel[shift]) * static_cast<Value>(pixel[0]);
}

}  // namespace bestfocus
