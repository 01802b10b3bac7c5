// A single-page TIFF of 32-bit floats (a depth map) that another run wrote, read back trusting
// nothing about it.
#pragma once

#include <opencv2/core.hpp>
#include <string>

namespace bestfocus {

// The one page of the file's bytes into *image (CV_32FC1): one gray channel of 32-bit IEEE
// floats in strips, uncompressed, at most kLargestPageSide on a side. False with *problem set
// otherwise, or when libtiff cannot read it.
bool read_float_tiff_page(const std::string& bytes, cv::Mat* image, std::string* problem);

}  // namespace bestfocus
