// The engine's four measures as one table, each with its exact reference and, in the CPU build,
// the kernels' 8-bit entry point that computes the same quantity.
#pragma once

#include <cstddef>
#include <ostream>

#include "cpu_engine.h"
#include "exact_reference.h"

using EngineMeasure = double (*)(const unsigned char* pixels, int width, int height,
                                 std::ptrdiff_t row_stride, int threads);

struct MeasureUnderTest {
    const char* name;
    EngineMeasure engine;
    ExactValue (*reference)(const ExactImage& image);
};

inline const MeasureUnderTest kEngineMeasures[] = {
    {"VollathF4", cpu_vollath_f4, exact_vollath_f4<ExactImage>},
    {"MDCT", cpu_mdct, exact_mdct<ExactImage>},
    {"Tenengrad", cpu_tenengrad, exact_tenengrad<ExactImage>},
    {"Laplacian", cpu_laplacian, exact_laplacian<ExactImage>},
};

inline void PrintTo(const MeasureUnderTest& measure, std::ostream* out) { *out << measure.name; }

// The engine on a whole image (row stride = width).
inline double engine_value(const MeasureUnderTest& measure, const ExactImage& image, int threads) {
    return measure.engine(image.bytes.data(), image.width, image.height, image.width, threads);
}

// The exact value on byte / 255.0, rounded once: what the engine must return to the last bit.
inline double scaled(long long byte_steps_squared) {
    return static_cast<double>(byte_steps_squared) / (255.0 * 255.0);
}
