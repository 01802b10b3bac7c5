// The depth map and the all-in-focus image of a folder as files: single-page TIFFs named after the
// folder as the exported picks are (best_exports.h).
#pragma once

#include <opencv2/core.hpp>
#include <string>

#include "depth_map.h"
#include "folder_scores.h"
#include "replace_file.h"

namespace bestfocus {

// "<folder>_depth.tif" and "<folder>_focused.tif" for a stack at stack_path (a folder ending in
// "/", or a multi-page file).
std::string depth_map_name(const std::string& stack_path, bool multi_page);
std::string all_in_focus_name(const std::string& stack_path, bool multi_page);
// "<folder>_confidence.tif".
std::string confidence_map_name(const std::string& stack_path, bool multi_page);

// Both files are names of the tool's own (FileText::own_name): whatever lies at `path` is replaced,
// never opened or followed.

// The map as a TIFF file at `path` of one page of 32-bit floats, the description saying what it
// is (its values `unit`), its rows computed as the file is written (the map must outlive the
// file); false with *problem set when libtiff fails.
constexpr char kImageNumbers[] = "1-based image number";
constexpr char kMicrometres[] = "Z position in micrometres";
bool depth_map_file(const std::string& path, const DepthRows& depth, int folder, FileText* file,
                    std::string* problem, const char* unit = kImageNumbers);

// The confidence map (values 0..1) as depth_map_file writes the depth map.
bool confidence_map_file(const std::string& path, const DepthRows& confidence, int folder,
                         FileText* file, std::string* problem);

// The all-in-focus image (8- or 16-bit gray) as a single-page TIFF file at `path`, its pixels
// written from the image (which must outlive the file).
bool all_in_focus_file(const std::string& path, const cv::Mat& focused, int folder, FileText* file,
                       std::string* problem);

}  // namespace bestfocus
