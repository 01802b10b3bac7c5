// Where an image of a stack is read from: a file of its own, or one page of a multi-page file.
#pragma once

#include <opencv2/core.hpp>
#include <string>
#include <utility>

struct ImageLocation {
    // Not explicit: a path alone is the location of a file of one image.
    ImageLocation(std::string file_path, int page_index = -1)
        : file(std::move(file_path)), page(page_index) {}

    std::string file;
    int page = -1;  // 0-based page of a multi-page file; -1: the file is the image
};

// The file, or "<file> (page N)" with N counted from 1, for messages.
std::string described(const ImageLocation& image);

// The image as one gray channel at the depth it is stored in (colour converted to gray at that
// depth): CV_8U for 8-bit files, CV_16U for 16-bit ones, whatever OpenCV gives for others. An
// empty matrix when the file is not a regular file, its BMP headers do not fit it (see
// bmp_header_check.h), the page is not there, or OpenCV cannot decode it.
cv::Mat decode_at_depth(const ImageLocation& image);

// The image as 8-bit gray for showing it: 16-bit images scaled by 255 / 65535, so their full range
// maps onto the 8-bit one. Empty as decode_at_depth, and for depths other than 8 and 16 bits.
cv::Mat decode_for_display(const ImageLocation& image);

// Pages in a multi-page file (1 for a file of one image), 0 when it cannot be decoded.
int page_count(const std::string& file);

// A name for the depth of a matrix ("32-bit float"), for messages.
std::string depth_name(int depth);
