// decode_only: each image decoded by OpenCV (cv::imread), the decoding floor of a whole job.
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include "floor_read.h"

const char* const kFloorVerb = "decode";

bool floor_read(const std::string& path, bool at_depth) {
    return !cv::imread(path, at_depth ? cv::IMREAD_ANYDEPTH : cv::IMREAD_GRAYSCALE).empty();
}
