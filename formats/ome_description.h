// OME-XML for the files the tool writes from a microscope file's planes: one image of several
// channels, a page each, with the channels' names, the pixel's physical size and the planes' Z
// position, so that OME readers (Fiji, Python's tifffile) read the file by its dimensions.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace bestfocus {

struct OmeImage {
    int width = 0;
    int height = 0;
    bool sixteen_bits = false;
    std::vector<std::string> channel_names;  // one per page, in page order; "" where unnamed
    std::optional<double> size_x_um;
    std::optional<double> size_y_um;
    std::optional<double> position_z_um;  // every plane's
};

// The description of the file's first page: its pages are the image's channels (DimensionOrder
// XYCZT, SizeZ = SizeT = 1), lengths in micrometres.
std::string ome_description(const OmeImage& image);

}  // namespace bestfocus
