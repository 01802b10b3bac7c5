// A folder's depth map as a picture for the page: a perceptual colour map (viridis) over the image
// numbers 1 to n, the pixels whose depth is filled in (not confident) hatched; and its confidence
// map, in gray.
#pragma once

#include <opencv2/core.hpp>
#include <string>
#include <vector>

#include "depth_map.h"

namespace bestfocus {

// The colour of a depth d of a stack of `images` images: viridis from image 1 (dark blue) to image
// n (yellow), clamped; B, G, R as OpenCV orders them.
cv::Vec3b depth_colour(double depth, int images);

// The map at `size` (each pixel the map's nearest), its pixels less confident than kConfident
// (depth_fill.h), whose depth is filled in, hatched with dark diagonal stripes.
cv::Mat depth_heat_map(const DepthRows& depth, const DepthRows& confidence, int images,
                       cv::Size size);

// The confidence map at `size` in gray, black 0 to white 1.
cv::Mat confidence_picture(const DepthRows& confidence, cv::Size size);

// The colour scale as a CSS linear-gradient from image 1 to image n, left to right.
std::string depth_scale_gradient();

}  // namespace bestfocus
