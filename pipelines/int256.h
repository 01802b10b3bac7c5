// A signed integer of 256 bits in two's complement, for the exact numerators that pass 128 bits:
// a measure whose sums reach 2^106 (Tenengrad variance at 16 bits) multiplies two of them. Only the
// few operations a score needs, on the host: a score is worked out once per image.
#pragma once

#include "int128.h"

namespace bestfocus {

class Int256 {
  public:
    Int256() = default;
    // Implicit: every 128-bit numerator is one.
    Int256(Int128 value)
        : high_(value < 0 ? ~UInt128(0) : UInt128(0)), low_(static_cast<UInt128>(value)) {}

    // a * b, exactly.
    static Int256 product(Int128 a, Int128 b);

    friend Int256 operator-(const Int256& a, const Int256& b);

    bool negative() const { return (high_ >> 127) != 0; }
    // Whether the value is an Int128, and that value.
    bool fits_128_bits() const;
    Int128 to_128_bits() const { return static_cast<Int128>(low_); }
    // |value| as 256 unsigned bits, most significant half first.
    void magnitude(UInt128& high, UInt128& low) const;

  private:
    Int256(UInt128 high, UInt128 low) : high_(high), low_(low) {}

    UInt128 high_ = 0;
    UInt128 low_ = 0;
};

}  // namespace bestfocus
