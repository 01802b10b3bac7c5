#include "focus_map_files.h"

#include "best_exports.h"
#include "tiff_bytes.h"

namespace bestfocus {

std::string depth_map_name(const std::string& stack_path, bool multi_page) {
    return stack_name(stack_path, multi_page) + "_depth.tif";
}

std::string all_in_focus_name(const std::string& stack_path, bool multi_page) {
    return stack_name(stack_path, multi_page) + "_focused.tif";
}

bool depth_map_bytes(const DepthMap& depth, int folder, std::string* bytes, std::string* problem) {
    // The page reads the map's floats where they lie.
    const cv::Mat map(depth.height, depth.width, CV_32FC1, const_cast<float*>(depth.values.data()));
    return tiff_file_bytes({{map, "folder " + std::to_string(folder) +
                                      ": focus at every pixel, 1-based image number"}},
                           bytes, problem);
}

bool all_in_focus_bytes(const cv::Mat& focused, int folder, std::string* bytes,
                        std::string* problem) {
    return tiff_file_bytes(
        {{focused, "folder " + std::to_string(folder) + ": all in focus, by the depth map"}}, bytes,
        problem);
}

}  // namespace bestfocus
