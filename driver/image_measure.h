// One image of a stack: decode it and compute its focus value.
#pragma once

#include <string>

#include "measure_registry.h"

struct ImageMeasurement {
    bool measured = false;
    double focus = 0.0;
    int width = 0;  // of the decoded image, when measured
    int height = 0;
    std::string failure;     // when not measured: the message naming the image
    std::string diagnostic;  // for standard error: why the measure failed, or empty
};

// Decodes the file as 8-bit grayscale and calls the measure with its pixels, width, height and
// the host thread count. Fails when the file cannot be decoded, when width x height does not fit
// an int (the measures count pixels in int), and when the measure returns NaN (its sign of a
// failed measurement: an 8-bit image never gives NaN); then the diagnostic names the failed
// runtime call.
ImageMeasurement measure_image(const std::string& path, PlainMeasure measure, int host_threads);

// Whether width x height fits the int pixel counts of the measures.
bool pixel_count_fits_measures(int width, int height);
