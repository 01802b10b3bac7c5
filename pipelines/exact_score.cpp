#include "exact_score.h"

#include <cassert>
#include <cmath>

namespace bestfocus {

namespace {

// A quotient's bits kept: two past a double's 53, so that whether anything follows is all that
// rounding still needs (see exact_quotient).
constexpr int kQuotientBits = 55;

int bit_length(UInt128 n) {
    const auto high = static_cast<std::uint64_t>(n >> 64);
    const auto low = static_cast<std::uint64_t>(n);
    if (high != 0) return 128 - __builtin_clzll(high);
    return low != 0 ? 64 - __builtin_clzll(low) : 0;
}

// Carries a long division on past the numerator's last bit until the quotient q has kQuotientBits
// bits, r the remainder below d; returns how many bits it added. The remainder stays below d, so
// doubling it never overflows while d is below 2^127.
int divide_on(UInt128& q, UInt128& r, UInt128 d) {
    int bits = 0;
    while (bit_length(q) < kQuotientBits) {
        r <<= 1;
        q <<= 1;
        if (r >= d) {
            r -= d;
            q |= 1;
        }
        ++bits;
    }
    return bits;
}

}  // namespace

double exact_score(Int128 total, long long max_pixel, int pixel_power) {
    assert(max_pixel >= 2 && max_pixel <= 65535 && (pixel_power == 1 || pixel_power == 2));
    return exact_quotient(total,
                          pixel_power == 1 ? Int128(max_pixel) : Int128(max_pixel) * max_pixel);
}

double exact_quotient(Int128 numerator, Int128 denominator) {
    assert(denominator > 0);
    if (numerator == 0) return 0.0;
    const bool negative = numerator < 0;
    const UInt128 n =
        negative ? UInt128(0) - static_cast<UInt128>(numerator) : static_cast<UInt128>(numerator);
    const auto d = static_cast<UInt128>(denominator);
    // Long division until the integer quotient q has at least 55 bits: the double's last place
    // then lies at least two bits above q's lowest, so whether the remainder is zero is all that
    // rounding still needs of it. 2q + (remainder != 0) rounds as the exact quotient does (one
    // conversion, to nearest), and the halving and the 2^-shift are exact.
    UInt128 q = n / d;
    UInt128 r = n % d;
    const int shift = divide_on(q, r, d);
    const UInt128 sticky = r != 0 ? 1 : 0;
    const double value = std::ldexp(static_cast<double>((q << 1) | sticky), -(shift + 1));
    return negative ? -value : value;
}

double exact_quotient(const Int256& numerator, Int128 denominator) {
    if (numerator.fits_128_bits()) return exact_quotient(numerator.to_128_bits(), denominator);
    assert(denominator > 0);
    UInt128 high = 0;
    UInt128 low = 0;
    numerator.magnitude(high, low);
    const auto d = static_cast<UInt128>(denominator);
    // Long division a bit at a time from the numerator's top bit, as above: the quotient's first
    // kQuotientBits significant bits are kept, every later one only as the sticky bit, and
    // `exponent` places the last bit kept. The remainder stays below d < 2^127.
    UInt128 q = 0;
    UInt128 r = 0;
    bool sticky = false;
    int exponent = 0;
    for (int i = 255; i >= 0; --i) {
        const UInt128 bit = (i >= 128 ? high >> (i - 128) : low >> i) & 1;
        r = (r << 1) | bit;
        const bool quotient_bit = r >= d;
        if (quotient_bit) r -= d;
        if (bit_length(q) < kQuotientBits) {
            q = (q << 1) | (quotient_bit ? 1 : 0);
        } else {
            sticky = sticky || quotient_bit;
            ++exponent;
        }
    }
    exponent -= divide_on(q, r, d);
    sticky = sticky || r != 0;
    const double value = std::ldexp(static_cast<double>((q << 1) | (sticky ? 1 : 0)), exponent - 1);
    return numerator.negative() ? -value : value;
}

}  // namespace bestfocus
