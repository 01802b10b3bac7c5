// The tests' own reference of every listed measure, found through the measure list: a new measure
// needs its test facts (measures/<name>/<name>_test_facts.h), or the tests do not build.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "all_measure_test_facts.h"
#include "measure_registry.h"
#include "reference_value.h"

using namespace bestfocus;

using ReferenceFunction = ReferenceValue (*)(const std::vector<double>& image, int width,
                                             int height);

struct MeasureReference {
    const char* short_name;
    ReferenceFunction value;
    // Whether the measure squares a window's responses at every anchor (the window's size comes
    // from the registry).
    bool window;
};

#define BESTFOCUS_REFERENCE_ROW(code, name, short_name, long_name, stem) \
    {short_name, test_facts::name::reference, test_facts::name::window},
inline const MeasureReference kMeasureReferences[] = {
    BESTFOCUS_MEASURE_LIST(BESTFOCUS_REFERENCE_ROW)};
#undef BESTFOCUS_REFERENCE_ROW

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
