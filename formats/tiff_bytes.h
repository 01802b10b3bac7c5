// Gray images as the bytes of a TIFF file, written with libtiff: the form the picks are exported
// in.
#pragma once

#include <opencv2/core.hpp>
#include <string>
#include <vector>

namespace bestfocus {

// One page: an 8- or 16-bit gray image and the text of its ImageDescription tag.
struct TiffPage {
    cv::Mat image;  // CV_8UC1 or CV_16UC1
    std::string description;
};

// The bytes of a TIFF file holding the pages in order, uncompressed, each at its own depth; false
// with *problem set when a page is not 8- or 16-bit gray or libtiff fails.
bool tiff_file_bytes(const std::vector<TiffPage>& pages, std::string* bytes, std::string* problem);

}  // namespace bestfocus
