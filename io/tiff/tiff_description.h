// What a TIFF's first page says of the whole file in its description: microscopes (OME-XML) and
// Fiji (ImageJ hyperstacks) write the file's dimensions there.
#pragma once

#include <optional>
#include <string>

#include "open_file.h"

namespace bestfocus {

struct TiffDescription {
    std::string text;  // the first page's ImageDescription, empty when it has none
    // Its XResolution and YResolution (pixels per unit), when given and positive.
    std::optional<double> x_resolution;
    std::optional<double> y_resolution;
};

// The first page's description of the TIFF file opened once by the caller and named `name`;
// nothing when the first page cannot be read.
std::optional<TiffDescription> first_page_description(const OpenFile& file,
                                                      const std::string& name);

}  // namespace bestfocus
