// Previews of stack images, embedded in a page as data URIs: shown small on the card, and large
// when clicked (one encoded image serves both).
#pragma once

#include <opencv2/core.hpp>
#include <string>

namespace bestfocus {

// A thumbnail is shown this long on its longer side: large enough to judge focus by eye.
constexpr int kThumbnailSide = 256;
// The large view, and the image embedded for both, fit in a square of this many pixels: a person
// can judge focus from it, and a page of a thousand folders stays within a few hundred MB.
constexpr int kLargeViewSide = 1024;

// The size a thumbnail of an image of the given size is shown at: scaled, aspect kept, so that its
// longer side is kThumbnailSide (at least one pixel each way).
cv::Size thumbnail_size(cv::Size image_size);

// The size of the embedded image: the image scaled down, aspect kept, to fit within
// kLargeViewSide on both sides (never enlarged; at least one pixel each way).
cv::Size large_view_size(cv::Size image_size);

// A "data:image/jpeg;base64,..." URI of the 8-bit grayscale image scaled to large_view_size with
// area averaging (no aliasing, so blur and noise read as they do in the image itself). Empty when
// the image is empty or cannot be encoded.
std::string preview_data_uri(const cv::Mat& gray_image);

}  // namespace bestfocus
