// Small previews of stack images, embedded in a page as data URIs.
#pragma once

#include <opencv2/core.hpp>
#include <string>

namespace bestfocus {

// Thumbnails fit in a square of this many pixels: large enough to judge sharpness by eye, small
// enough that a page of a thousand folders (two thumbnails each) stays within about 15 MB.
constexpr int kThumbnailSide = 160;

// The size of the thumbnail of an image of the given size: the image scaled down, aspect kept,
// to fit within kThumbnailSide on both sides (never enlarged; at least one pixel each way).
cv::Size thumbnail_size(cv::Size image_size);

// A "data:image/jpeg;base64,..." URI of the 8-bit grayscale image scaled to thumbnail_size with
// area averaging (no aliasing, so blur and noise read as they do in the image itself). Empty when
// the image is empty or cannot be encoded.
std::string thumbnail_data_uri(const cv::Mat& gray_image);

}  // namespace bestfocus
