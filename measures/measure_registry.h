// The focus measures the tool offers, as a table: its rows come from the measure list
// (measure_list.h), and everything that runs "every measure" (the engines, the usage text, the
// test suites, the benchmarks) iterates it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "cpu_measures.h"
#include "measures.h"

namespace bestfocus {

// (pixels, width, height, host threads) -> focus value: the 8-bit and double-input variants.
using PlainMeasure = double (*)(const unsigned char* pixels, int width, int height,
                                int host_threads);
// A measure computed on the CPU from 8-bit pixels whose rows lie row_stride bytes apart.
using CpuMeasure = double (*)(const unsigned char* pixels, int width, int height,
                              std::ptrdiff_t row_stride, int threads);
// The kernel engine's exact kernels on 16-bit pixels, rows back to back.
using KernelMeasure16 = double (*)(const std::uint16_t* pixels, int width, int height,
                                   int host_threads);
// The same on 16-bit pixels, taken as value / 65535.0; row_stride still counts pixels.
using CpuMeasure16 = double (*)(const std::uint16_t* pixels, int width, int height,
                                std::ptrdiff_t row_stride, int threads);

struct MeasureEntry {
    int code;                  // the method code of the command line, from 1 upward
    const char* name;          // the measure's folder under measures/
    const char* short_name;    // lower case, for file names and benchmark labels
    const char* long_name;     // as the usage text names it
    PlainMeasure uchar;        // funcion_*_GPU_uchar
    PlainMeasure doubles;      // funcion_*_GPU: width*height doubles through the pixel pointer
    PlainMeasure kernel;       // the kernel engine's exact kernels on 8-bit images (kernel_<name>)
    KernelMeasure16 kernel16;  // and on 16-bit ones
    CpuMeasure cpu;            // the CPU engine's
    CpuMeasure16 cpu16;        // the CPU engine's on 16-bit images
    CpuRowSums (*row_sums)();  // the CPU engine's row sums, for images measured in bands
};

// Every measure, entry i holding code i + 1.
const std::vector<MeasureEntry>& measure_registry();

// The measure of a method code; nullptr for a code without one.
const MeasureEntry* find_measure(int code);

struct RegionSize {
    int width;
    int height;
};

// The narrowest and the lowest image the measure adds a term on (its window's size): on anything
// smaller its value is 0 whatever the pixels.
RegionSize smallest_measured_size(const MeasureEntry& measure);

// Whether the measure can score anything but 0 on a width x height image: false where it adds no
// term, and where the few terms it adds always give 0 (the variance of a single term). Regions and
// tiles on which it is false are refused like those smaller than the window.
bool measure_can_score(const MeasureEntry& measure, int width, int height);

}  // namespace bestfocus
