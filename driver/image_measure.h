// One image of a stack: decode it once and compute its focus value under every method asked for.
#pragma once

#include <opencv2/core.hpp>
#include <string>
#include <vector>

#include "measure_registry.h"

// One method's measure as the scan calls it on a decoded 8-bit image.
struct MethodMeasure {
    int method = 0;                  // its code, for the outputs
    PlainMeasure kernels = nullptr;  // the kernels' 8-bit entry point: (pixels, width, height,
                                     // threads), threads sizing its host reduction
    CpuMeasure cpu = nullptr;        // the CPU engine's function, used instead when set
    int threads = 1;
};

struct ImageMeasurement {
    bool measured = false;
    std::vector<double> focus;  // one value per method, in the order they were given
    int width = 0;              // of the decoded image, when measured
    int height = 0;
    std::string failure;     // when not measured: the message naming the image
    std::string diagnostic;  // for standard error: why the measure failed, or empty
};

// Decodes the file as 8-bit grayscale and measures its pixels with each method. Fails when the
// file cannot be decoded, when width x height does not fit an int (the kernels count pixels in
// int), and when a measure returns NaN (its sign of a failed measurement: an 8-bit image never
// gives NaN).
ImageMeasurement measure_image(const std::string& path, const std::vector<MethodMeasure>& methods);

// The file decoded as 8-bit grayscale; an empty matrix when it is not a regular file, its BMP
// headers do not fit it (see bmp_header_check.h), or OpenCV cannot decode it.
cv::Mat decode_grayscale(const std::string& path);

// Whether width x height fits the int pixel counts of the measures.
bool pixel_count_fits_measures(int width, int height);
