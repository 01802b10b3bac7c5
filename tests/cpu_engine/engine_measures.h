// The registered measures' CPU engine, each with its exact reference.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "all_measure_test_facts.h"
#include "cpu_measures.h"
#include "exact_reference.h"
#include "measure_registry.h"

using namespace bestfocus;

using EngineMeasure = CpuMeasure;

// A registered measure's CPU engine with its exact reference.
struct MeasureUnderTest {
    const MeasureEntry* entry;
    ExactValue (*reference)(const ExactImage& image);
    EngineMeasure engine;
};

// The exact reference of each listed measure (its test facts' exact()) on 8- or 16-bit images;
// nullptr for a measure whose facts give none.
template <class Image>
ExactValue (*exact_reference_of(const std::string& short_name))(const Image&) {
#define BESTFOCUS_EXACT_ROW(code, name, listed_short_name, long_name, stem) \
    if (short_name == listed_short_name) return test_facts::exact_total_of<test_facts::name, Image>;
    BESTFOCUS_MEASURE_LIST(BESTFOCUS_EXACT_ROW)
#undef BESTFOCUS_EXACT_ROW
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

// The registered measures that have an integer reference.
inline std::vector<MeasureUnderTest> engine_measures_with_totals() {
    std::vector<MeasureUnderTest> measures;
    for (const MeasureUnderTest& measure : engine_measures()) {
        if (measure.reference != nullptr) measures.push_back(measure);
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
