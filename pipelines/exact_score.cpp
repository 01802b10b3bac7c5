#include "exact_score.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace bestfocus {

namespace {

__extension__ typedef unsigned __int128 UInt128;

int bit_length(UInt128 n) {
    const auto high = static_cast<std::uint64_t>(n >> 64);
    const auto low = static_cast<std::uint64_t>(n);
    if (high != 0) return 128 - __builtin_clzll(high);
    return low != 0 ? 64 - __builtin_clzll(low) : 0;
}

}  // namespace

double exact_score(Int128 total, long long max_pixel, int pixel_power) {
    assert(max_pixel >= 2 && max_pixel <= 65535 && (pixel_power == 1 || pixel_power == 2));
    if (total == 0) return 0.0;
    const bool negative = total < 0;
    UInt128 n = negative ? UInt128(0) - static_cast<UInt128>(total) : static_cast<UInt128>(total);
    const UInt128 d = pixel_power == 1 ? static_cast<UInt128>(max_pixel)
                                       : static_cast<UInt128>(max_pixel) * max_pixel;
    // Scaled by 2^shift, the integer quotient q has at least 55 bits, so the double's last place
    // lies at least two bits above q's lowest: whether the remainder is zero is all that rounding
    // still needs of it. 2q + (remainder != 0) rounds as the exact quotient does (one conversion,
    // to nearest), and the halving and the 2^-shift are exact.
    const int shift = std::max(0, 55 + bit_length(d) - bit_length(n));
    n <<= shift;
    const UInt128 q = n / d;
    const UInt128 sticky = (n % d != 0) ? 1 : 0;
    const double value = std::ldexp(static_cast<double>((q << 1) | sticky), -(shift + 1));
    return negative ? -value : value;
}

}  // namespace bestfocus
