// The double-precision measure functions as one table, for suites that check all of them alike: the
// three variants of every registered measure and the kernel engine's exact kernels on its 8-bit
// pixels, then the extra variants.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "measure_references.h"
#include "measure_registry.h"
#include "test_entry_points.h"
#include "test_images.h"

using namespace bestfocus;

enum class Input { bytes, doubles };

// One measure function: plain, or on a stream for the _Stream variants.
struct MeasureFunction {
    std::string name;
    Input input;
    PlainMeasure plain;
    StreamMeasure on_stream;
    ReferenceFunction reference;
    bool exact = false;  // an exact kernel: an image without terms asks nothing of the runtime
};

inline std::vector<MeasureFunction> all_measure_functions() {
    std::vector<MeasureFunction> functions;
    for (const MeasureEntry& measure : measure_registry()) {
        const MeasureReference* reference = find_reference(measure);
        if (reference == nullptr) continue;
        const std::string name = test_name(measure.short_name);
        functions.push_back(
            {name + "_GPU", Input::doubles, measure.doubles, nullptr, reference->value});
        functions.push_back(
            {name + "_GPU_uchar", Input::bytes, measure.uchar, nullptr, reference->value});
        functions.push_back({name + "_GPU_uchar_Stream", Input::bytes, nullptr,
                             stream_entry_point(measure), reference->value});
        functions.push_back({name + "_exact_kernels", Input::bytes, measure.kernel, nullptr,
                             reference->value, true});
    }
    for (const MeasureVariant& variant : extra_measure_variants()) {
        const MeasureReference* reference = find_reference(*find_measure(variant.code));
        if (reference == nullptr) continue;
        functions.push_back(
            {test_name(variant.name), Input::doubles, variant.doubles, nullptr, reference->value});
    }
    return functions;
}

// An image as each kind of measure function takes it: bytes, or the same bytes / 255.0.
struct TestImage {
    ImageSize size;
    std::vector<unsigned char> bytes;
    std::vector<double> values;

    TestImage(ImageSize s, unsigned seed)
        : size(s), bytes(random_bytes(s, seed)), values(normalised(bytes)) {}

    const unsigned char* pixels_for(const MeasureFunction& function) const {
        return function.input == Input::bytes ? bytes.data() : as_bytes(values);
    }
};

// Calls the function on the image; the stream variants on `stream`.
inline double measure(const MeasureFunction& function, const TestImage& image, int host_threads,
                      CUstream_st* stream) {
    const unsigned char* pixels = image.pixels_for(function);
    if (function.on_stream != nullptr) {
        return function.on_stream(pixels, image.size.width, image.size.height, host_threads,
                                  stream);
    }
    return function.plain(pixels, image.size.width, image.size.height, host_threads);
}

// Names the function in test output.
inline void PrintTo(const MeasureFunction& function, std::ostream* out) { *out << function.name; }

// The parameterised name of a case over all_measure_functions().
inline std::string measure_function_name(const ::testing::TestParamInfo<MeasureFunction>& info) {
    return info.param.name;
}
