// The tests' own reference of every registered measure, found by its short name: a new measure
// in the registry needs its reference here, or the registry test fails.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "measure_registry.h"
#include "reference_value.h"
#include "vollath_f4_reference.h"
#include "window_measure_reference.h"

using ReferenceFunction = ReferenceValue (*)(const std::vector<double>& image, int width,
                                             int height);

struct MeasureReference {
    const char* short_name;
    ReferenceFunction value;
    // Image side minus the window anchors along it for a window measure; 0 for the others.
    int anchor_shortfall;
};

inline const MeasureReference kMeasureReferences[] = {
    {"vollath-f4", vollath_f4_reference, 0},
    {"mdct", mdct_reference, 4},
    {"tenengrad", tenengrad_reference, 2},
    {"laplacian", laplacian_reference, 2},
};

// The reference of a registered measure; nullptr when the tests have none, which the registry
// test reports. The suites leave such a measure out.
inline const MeasureReference* find_reference(const MeasureEntry& measure) {
    for (const MeasureReference& reference : kMeasureReferences) {
        if (std::strcmp(reference.short_name, measure.short_name) == 0) {
            return &reference;
        }
    }
    return nullptr;
}

// A test name made of the text: letters, digits and underscores.
inline std::string test_name(std::string text) {
    for (char& c : text) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return text;
}
