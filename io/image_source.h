// Decoding an image of a stack from where it lies (image_location.h).
#pragma once

#include <opencv2/core.hpp>
#include <string>

#include "image_location.h"

// The decoders are not in the namespace yet; their callers name the location unqualified.
using bestfocus::ImageLocation;

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
