// What the long double references of the measure tests return, and the agreement expected of the
// double-precision measures with them.
#pragma once

struct ReferenceValue {
    long double value;
    long double magnitude;  // sum of the terms' absolute values: the scale of rounding errors
};

inline double tolerance(const ReferenceValue& reference) {
    return static_cast<double>(1e-12L * reference.magnitude);
}
