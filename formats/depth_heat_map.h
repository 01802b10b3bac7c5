// A folder's depth map as a picture for the page: a perceptual colour map (viridis) over the image
// numbers 1 to n, the tiles whose depth is filled in hatched.
#pragma once

#include <opencv2/core.hpp>
#include <string>
#include <vector>

#include "depth_map.h"
#include "folder_scores.h"

namespace bestfocus {

// The colour of a depth d of a stack of `images` images: viridis from image 1 (dark blue) to image
// n (yellow), clamped; B, G, R as OpenCV orders them.
cv::Vec3b depth_colour(double depth, int images);

// The map at `size` (each pixel the map's nearest), its tiles that do not locate focus under the
// first method (locates_focus: flat ones, and those peaking twice) hatched
// with dark diagonal stripes.
cv::Mat depth_heat_map(const FolderScores& folder, const DepthRows& depth, cv::Size size);

// The colour scale as a CSS linear-gradient from image 1 to image n, left to right.
std::string depth_scale_gradient();

}  // namespace bestfocus
