// The focus measures the tool offers, in one table: everything that runs "every measure" (the
// driver's dispatch and usage text, the test suites, the benchmarks) iterates it.
//
// A new measure is its .cu file in measures/, its reference in the tests and one entry here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "measures.h"

// (pixels, width, height, host threads) -> focus value: the 8-bit and double-input variants.
using PlainMeasure = double (*)(const unsigned char* pixels, int width, int height,
                                int host_threads);
// The stream variants: the same on the caller's stream.
using StreamMeasure = double (*)(const unsigned char* pixels, int width, int height,
                                 int host_threads, CUstream_st* stream);
// A measure computed on the CPU from 8-bit pixels whose rows lie row_stride bytes apart.
using CpuMeasure = double (*)(const unsigned char* pixels, int width, int height,
                              std::ptrdiff_t row_stride, int threads);
// The same on 16-bit pixels, taken as value / 65535.0; row_stride still counts pixels.
using CpuMeasure16 = double (*)(const std::uint16_t* pixels, int width, int height,
                                std::ptrdiff_t row_stride, int threads);

struct MeasureEntry {
    int code;                // the method code of the command line, from 1 upward
    const char* short_name;  // lower case, for file names and benchmark labels
    const char* long_name;   // as the usage text names it
    PlainMeasure uchar;      // funcion_*_GPU_uchar: what the driver calls
    StreamMeasure uchar_stream;
    PlainMeasure doubles;  // funcion_*_GPU: width*height doubles through the pixel pointer
    CpuMeasure cpu;        // the CPU engine's
    CpuMeasure16 cpu16;    // the CPU engine's on 16-bit images
};

// Every measure, entry i holding code i + 1.
const std::vector<MeasureEntry>& measure_registry();

// The measure of a method code; nullptr for a code without one.
const MeasureEntry* find_measure(int code);

// Further implementations of a registered measure that the tool never calls but the tests check
// with the others: same contract, same value up to rounding.
struct MeasureVariant {
    const char* name;
    int code;              // the measure it computes
    PlainMeasure doubles;  // width*height doubles through the pixel pointer
};

const std::vector<MeasureVariant>& extra_measure_variants();
