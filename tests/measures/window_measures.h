// The registered measures with a reference in the tests, and among them the window measures
// (those whose reference has window anchors), each with its variants and its long double
// reference.
#pragma once

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "measure_references.h"
#include "measure_registry.h"
#include "test_entry_points.h"

using namespace bestfocus;

struct WindowMeasure {
    std::string name;
    bool window;
    // Image side minus window anchors on that side, from the registry: 4 x 4 for MDCT, 2 x 2 for
    // the 3 x 3 windows, 0 x 2 for a window one pixel wide and three high.
    RegionSize anchor_shortfall;
    int pixel_power;  // the value is over 255^pixel_power, from the registry
    ReferenceFunction reference;
    PlainMeasure doubles;
    PlainMeasure uchar;
    StreamMeasure uchar_stream;
};

// Every registered measure that has a reference.
inline std::vector<WindowMeasure> referenced_measures() {
    std::vector<WindowMeasure> measures;
    for (const MeasureEntry& measure : measure_registry()) {
        if (const MeasureReference* reference = find_reference(measure)) {
            const RegionSize smallest = smallest_measured_size(measure);
            measures.push_back({test_name(measure.short_name),
                                reference->window,
                                {smallest.width - 1, smallest.height - 1},
                                measure.row_sums().pixel_power,
                                reference->value,
                                measure.doubles,
                                measure.uchar,
                                stream_entry_point(measure)});
        }
    }
    return measures;
}

inline std::vector<WindowMeasure> window_measures() {
    std::vector<WindowMeasure> measures;
    for (const WindowMeasure& measure : referenced_measures()) {
        if (measure.window) measures.push_back(measure);
    }
    return measures;
}

// The window measure of the short name, for cases about one measure.
inline WindowMeasure window_measure(const char* short_name) {
    for (const WindowMeasure& measure : window_measures()) {
        if (measure.name == test_name(short_name)) return measure;
    }
    ADD_FAILURE() << "no window measure " << short_name;
    return {};
}

// For GoogleTest's messages about parameterised cases.
inline std::ostream& operator<<(std::ostream& out, const WindowMeasure& measure) {
    return out << measure.name;
}
