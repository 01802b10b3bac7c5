// The registered measures' CPU engine, each with its exact reference.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "cpu_engine.h"
#include "exact_reference.h"
#include "measure_registry.h"

using EngineMeasure = CpuMeasure;

// A registered measure's CPU engine with its exact reference.
struct MeasureUnderTest {
    const MeasureEntry* entry;
    ExactValue (*reference)(const ExactImage& image);
    EngineMeasure engine;
};

// The exact reference of each registered measure on 8- or 16-bit images, by short name.
template <class Image>
ExactValue (*exact_reference_of(const std::string& short_name))(const Image&) {
    if (short_name == "vollath-f4") return exact_vollath_f4<Image>;
    if (short_name == "mdct") return exact_mdct<Image>;
    if (short_name == "tenengrad") return exact_tenengrad<Image>;
    if (short_name == "laplacian") return exact_laplacian<Image>;
    return nullptr;
}

// Every registered measure, in code order.
inline std::vector<MeasureUnderTest> engine_measures() {
    std::vector<MeasureUnderTest> measures;
    for (const MeasureEntry& entry : measure_registry()) {
        measures.push_back({&entry, exact_reference_of<ExactImage>(entry.short_name), entry.cpu});
    }
    return measures;
}

inline void PrintTo(const MeasureUnderTest& measure, std::ostream* out) {
    *out << measure.entry->short_name;
}

// A test name for a parameterised case: the short name with '-' (not allowed there) as '_'.
inline std::string engine_measure_name(const testing::TestParamInfo<MeasureUnderTest>& info) {
    std::string name = info.param.entry->short_name;
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

// The engine on a whole image (row stride = width).
inline double engine_value(const MeasureUnderTest& measure, const ExactImage& image, int threads) {
    return measure.engine(image.bytes.data(), image.width, image.height, image.width, threads);
}

// The exact value on byte / 255.0, rounded once: what the engine must return to the last bit.
inline double scaled(long long byte_steps_squared) {
    return static_cast<double>(byte_steps_squared) / (255.0 * 255.0);
}
