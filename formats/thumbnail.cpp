#include "thumbnail.h"

#include <algorithm>
#include <vector>

#include "base64.h"
#include "opencv_codecs.h"

namespace bestfocus {

namespace {

// Good enough to show focus: a preview of 1024 x 768 takes about 100 to 200 KB, one of the
// sample stacks' 320 x 240 images about 20 KB.
constexpr int kJpegQuality = 85;

cv::Size scaled(cv::Size size, double scale) {
    return cv::Size(std::max(1, cvRound(size.width * scale)),
                    std::max(1, cvRound(size.height * scale)));
}

}  // namespace

cv::Size thumbnail_size(cv::Size image_size) {
    const int longest = std::max(image_size.width, image_size.height);
    return longest <= 0 ? image_size
                        : scaled(image_size, static_cast<double>(kThumbnailSide) / longest);
}

cv::Size large_view_size(cv::Size image_size) {
    const int longest = std::max(image_size.width, image_size.height);
    if (longest <= kLargeViewSide) {
        return image_size;
    }
    return scaled(image_size, static_cast<double>(kLargeViewSide) / longest);
}

std::string preview_data_uri(const cv::Mat& gray_image) {
    if (gray_image.empty()) {
        return "";
    }
    // A page without one preview is better than no page after the whole run.
    std::vector<unsigned char> jpeg;
    if (!codecs_encode_jpeg(gray_image, large_view_size(gray_image.size()), kJpegQuality, jpeg)) {
        return "";
    }
    return "data:image/jpeg;base64," + base64_encode(jpeg.data(), jpeg.size());
}

}  // namespace bestfocus
