// One image of a stack: decode it once and compute its focus value under every method asked for.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine.h"
#include "image_source.h"
#include "stack_layout.h"

namespace bestfocus {

struct ImageMeasurement {
    bool measured = false;
    std::vector<double> focus;  // one value per method, in the order they were given
    int width = 0;              // of the decoded image (not of the region), when measured
    int height = 0;
    std::string failure;     // when not measured: the message naming the image
    std::string diagnostic;  // for standard error: why the measure failed, or empty
};

// Reads the image at its depth (read_image, into a buffer the calling thread keeps) and measures
// its pixels, or the region's when one is given, on the engine with each method (codes of the
// measure list). Fails when the image cannot be read (a diagnostic says why when OpenCV's decoders
// are needed but cannot be loaded), when its pixels are neither 8- nor 16-bit integers (a
// diagnostic names the depth), when the region does not lie inside it (then only a diagnostic,
// naming both sizes), and when the engine fails: the measured pixels too many for it, or a
// measurement failed (a diagnostic says why when the engine does).
ImageMeasurement measure_image(const ImageLocation& image, const Engine& engine,
                               const std::vector<int>& methods,
                               const std::optional<RegionOfInterest>& region = std::nullopt);

}  // namespace bestfocus
