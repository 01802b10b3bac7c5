// Tenengrad variance: the variance of Tenengrad's terms T = Gx^2 + Gy^2 over its n window anchors
// (tenengrad_stencil.h), (n SumT^2 - (SumT)^2) / (n^2 M^4) for pixels of at most M. Its exact sums,
// in ExactSums' slots: SumT; SumT^2 in two parts, the sum of each T^2's bits from 32 up and the
// sum of its low 32 bits, so that the kernels' 64-bit block sums hold them; and n.
//
// Widths: T stays below 2 (4 M)^2 < 2^38, so T^2 < 2^75 and, over fewer than 2^31 anchors,
// SumT^2 < 2^106 and (SumT)^2 < 2^138: the numerator needs more than 128 bits (Int256); the
// denominator stays below 2^62 * 2^64 = 2^126.
#pragma once

#include "exact_score.h"
#include "host_device.h"

namespace bestfocus {

// t^2 from bit 32 up, for 0 <= t < 2^38: with t = a 2^32 + b, t^2 = a^2 2^64 + 2ab 2^32 + b^2, and
// every part stays in 64 bits.
BESTFOCUS_HOST_DEVICE constexpr long long square_above_32_bits(long long t) {
    const auto a = static_cast<unsigned long long>(t) >> 32;
    const auto b = static_cast<unsigned long long>(t) & 0xffffffffULL;
    return static_cast<long long>((a * a << 32) + 2 * a * b + (b * b >> 32));
}

// t^2's low 32 bits.
BESTFOCUS_HOST_DEVICE constexpr long long square_below_32_bits(long long t) {
    const auto b = static_cast<unsigned long long>(t) & 0xffffffffULL;
    return static_cast<long long>(b * b & 0xffffffffULL);
}

enum TenengradVarianceSum { kTermSum, kSquareSumHigh, kSquareSumLow, kAnchorCount };

inline ExactRatio tenengrad_variance_score(const ExactSums& sums, long long /*pixel_count*/,
                                           long long max_pixel) {
    const Int128 n = sums.values[kAnchorCount];
    if (n == 0) return {0, 1};
    const Int128 sum = sums.values[kTermSum];
    const Int128 squares = (sums.values[kSquareSumHigh] << 32) + sums.values[kSquareSumLow];
    const Int128 m2 = Int128(max_pixel) * max_pixel;
    return {Int256::product(n, squares) - Int256::product(sum, sum), n * n * m2 * m2};
}

}  // namespace bestfocus
