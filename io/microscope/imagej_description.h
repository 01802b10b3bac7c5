// The description ImageJ and Fiji write in a stack's first page: lines "key=value" beginning with
// "ImageJ=", of which images, channels, slices, frames, spacing and unit give the dimensions.
// Its planes follow each other channels fastest, then slices, then frames (XYCZT).
#pragma once

#include <optional>
#include <string>

#include "microscope_metadata.h"

namespace bestfocus {

bool looks_like_imagej(const std::string& description);

// The description read for a file of `pages` pages whose first page has that XResolution and
// YResolution (pixels per `unit`). Refused: counts that are not positive integers, images that
// are not channels x slices x frames, or not the pages.
DescriptionReading read_imagej_description(const std::string& description, long long pages,
                                           std::optional<double> x_resolution,
                                           std::optional<double> y_resolution);

}  // namespace bestfocus
