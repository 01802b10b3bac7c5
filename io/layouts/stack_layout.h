// How the stacks lie on disk and what part of each image is measured. The defaults are the
// numbered layout <base><NNN>/<NN>.bmp, whole images.
#pragma once

#include <optional>
#include <string>

#include "plane_choice.h"

namespace bestfocus {

constexpr const char* kDefaultFolderNames = "%03d";
constexpr const char* kDefaultImageNames = "%02d.bmp";

// A rectangle of every image: columns x .. x + width - 1, rows y .. y + height - 1.
struct RegionOfInterest {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct StackLayout {
    // Checked formats (name_format.h). The folder format names a folder of images, or a
    // multi-page file whose pages are the stack.
    std::string folder_names = kDefaultFolderNames;
    std::string image_names = kDefaultImageNames;  // inside a folder
    std::optional<RegionOfInterest> region;        // none: whole images
    // A microscope file's planes that are the stack: a channel, time point and series.
    PlaneChoice planes;
};

// Reads "X,Y,W,H": four decimal integers, X and Y at least 0, W and H at least 1, nothing else.
std::optional<RegionOfInterest> parse_region(const std::string& text);

// Whether the region lies inside a width x height image.
bool region_fits(const RegionOfInterest& region, int width, int height);

}  // namespace bestfocus
