// The thirteen measure functions as one table, for suites that check all of them alike.
#pragma once

#include <ostream>
#include <vector>

#include "measures.h"
#include "reference_value.h"
#include "test_images.h"
#include "vollath_f4_reference.h"
#include "window_measure_reference.h"

enum class Input { bytes, doubles };

// One measure function: plain, or on a stream for the _Stream variants.
struct MeasureFunction {
    const char* name;
    Input input;
    double (*plain)(const unsigned char* pixels, int width, int height, int host_threads);
    double (*on_stream)(const unsigned char* pixels, int width, int height, int host_threads,
                        CUstream_st* stream);
    ReferenceValue (*reference)(const std::vector<double>& image, int width, int height);
};

inline const MeasureFunction kMeasureFunctions[] = {
    {"VollathF4_MemEficient_GPU", Input::doubles, funcion_VollathF4_MemEficient_GPU, nullptr,
     vollath_f4_reference},
    {"VollathF4_MemEficient_GPU_uchar", Input::bytes, funcion_VollathF4_MemEficient_GPU_uchar,
     nullptr, vollath_f4_reference},
    {"VollathF4_MemEficient_GPU_uchar_Stream", Input::bytes, nullptr,
     funcion_VollathF4_MemEficient_GPU_uchar_Stream, vollath_f4_reference},
    {"VollathF4_GPU", Input::doubles, funcion_VollathF4_GPU, nullptr, vollath_f4_reference},
    {"MDCT_GPU", Input::doubles, funcion_MDCT_GPU, nullptr, mdct_reference},
    {"MDCT_GPU_uchar", Input::bytes, funcion_MDCT_GPU_uchar, nullptr, mdct_reference},
    {"MDCT_GPU_uchar_Stream", Input::bytes, nullptr, funcion_MDCT_GPU_uchar_Stream, mdct_reference},
    {"TEN_GPU", Input::doubles, funcion_TEN_GPU, nullptr, tenengrad_reference},
    {"TEN_GPU_uchar", Input::bytes, funcion_TEN_GPU_uchar, nullptr, tenengrad_reference},
    {"TEN_GPU_uchar_Stream", Input::bytes, nullptr, funcion_TEN_GPU_uchar_Stream,
     tenengrad_reference},
    {"LAP_GPU", Input::doubles, funcion_LAP_GPU, nullptr, laplacian_reference},
    {"LAP_GPU_uchar", Input::bytes, funcion_LAP_GPU_uchar, nullptr, laplacian_reference},
    {"LAP_GPU_uchar_Stream", Input::bytes, nullptr, funcion_LAP_GPU_uchar_Stream,
     laplacian_reference},
};

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
