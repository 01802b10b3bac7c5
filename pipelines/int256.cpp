#include "int256.h"

#include <cstdint>

namespace bestfocus {

namespace {

// The 256-bit product of two unsigned 128-bit values, from four 64 x 64 -> 128-bit products.
void unsigned_product(UInt128 a, UInt128 b, UInt128& high, UInt128& low) {
    const UInt128 mask = ~std::uint64_t(0);
    const UInt128 a0 = a & mask, a1 = a >> 64, b0 = b & mask, b1 = b >> 64;
    const UInt128 p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
    // The middle column: three values below 2^64 each, so no overflow.
    const UInt128 middle = (p00 >> 64) + (p01 & mask) + (p10 & mask);
    low = (middle << 64) | (p00 & mask);
    high = p11 + (p01 >> 64) + (p10 >> 64) + (middle >> 64);
}

UInt128 magnitude_of(Int128 value) {
    return value < 0 ? UInt128(0) - static_cast<UInt128>(value) : static_cast<UInt128>(value);
}

}  // namespace

Int256 Int256::product(Int128 a, Int128 b) {
    UInt128 high = 0;
    UInt128 low = 0;
    unsigned_product(magnitude_of(a), magnitude_of(b), high, low);
    const Int256 value(high, low);
    return (a < 0) != (b < 0) ? Int256(0) - value : value;
}

Int256 operator-(const Int256& a, const Int256& b) {
    const UInt128 low = a.low_ - b.low_;
    const UInt128 borrow = a.low_ < b.low_ ? 1 : 0;
    return Int256(a.high_ - b.high_ - borrow, low);
}

bool Int256::fits_128_bits() const {
    // The high half repeats the low half's sign bit.
    return high_ == (static_cast<Int128>(low_) < 0 ? ~UInt128(0) : UInt128(0));
}

void Int256::magnitude(UInt128& high, UInt128& low) const {
    if (!negative()) {
        high = high_;
        low = low_;
        return;
    }
    const Int256 positive = Int256(0) - *this;
    high = positive.high_;
    low = positive.low_;
}

}  // namespace bestfocus
