// The depth map and the all-in-focus image of a folder as files: single-page TIFFs named after the
// folder as the exported picks are (best_exports.h).
#pragma once

#include <opencv2/core.hpp>
#include <string>

#include "depth_map.h"
#include "folder_scores.h"

namespace bestfocus {

// "<folder>_depth.tif" and "<folder>_focused.tif" for a stack at stack_path (a folder ending in
// "/", or a multi-page file).
std::string depth_map_name(const std::string& stack_path, bool multi_page);
std::string all_in_focus_name(const std::string& stack_path, bool multi_page);

// The map as the bytes of a TIFF of one page of 32-bit floats, the description saying what it is;
// false with *problem set when libtiff fails.
bool depth_map_bytes(const DepthMap& depth, int folder, std::string* bytes, std::string* problem);

// The all-in-focus image (8- or 16-bit gray) as the bytes of a single-page TIFF.
bool all_in_focus_bytes(const cv::Mat& focused, int folder, std::string* bytes,
                        std::string* problem);

}  // namespace bestfocus
