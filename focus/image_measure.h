// One image of a stack: decode it once and compute its focus value under every method asked for.
#pragma once

#include <opencv2/core.hpp>
#include <optional>
#include <string>
#include <vector>

#include "image_source.h"
#include "measure_registry.h"
#include "stack_layout.h"

// One method's measure as the scan calls it on a decoded image. 8-bit images go to `cpu` when it
// is set, else to `kernels`; 16-bit images to `cpu16` when `cpu` is set, else to `doubles` on the
// pixels normalised to value / 65535.0 on the host.
struct MethodMeasure {
    int method = 0;                  // its code, for the outputs
    PlainMeasure kernels = nullptr;  // the kernels' 8-bit entry point: (pixels, width, height,
                                     // threads), threads sizing its host reduction
    CpuMeasure cpu = nullptr;        // the CPU engine's function, used instead when set
    int threads = 1;
    CpuMeasure16 cpu16 = nullptr;    // the CPU engine's on 16-bit pixels
    PlainMeasure doubles = nullptr;  // the kernels' double-input entry point
};

// The measures of a registry entry on one engine.
MethodMeasure cpu_engine_measure(const MeasureEntry& entry, int threads);
MethodMeasure kernel_measure(const MeasureEntry& entry, int threads);

struct ImageMeasurement {
    bool measured = false;
    std::vector<double> focus;  // one value per method, in the order they were given
    int width = 0;              // of the decoded image (not of the region), when measured
    int height = 0;
    std::string failure;     // when not measured: the message naming the image
    std::string diagnostic;  // for standard error: why the measure failed, or empty
};

// Decodes the image at its depth and measures its pixels, or the region's when one is given, with
// each method. Fails when the image cannot be decoded, when its pixels are neither 8- nor 16-bit
// integers (a diagnostic names the depth), when width x height does not fit an int (the kernels
// count pixels in int), when the region does not lie inside it (then only a diagnostic, naming
// both sizes), and when a measure returns NaN (its sign of a failed measurement: an integer image
// never gives NaN).
ImageMeasurement measure_image(const ImageLocation& image,
                               const std::vector<MethodMeasure>& methods,
                               const std::optional<RegionOfInterest>& region = std::nullopt);

// Whether width x height fits the int pixel counts of the measures.
bool pixel_count_fits_measures(int width, int height);
