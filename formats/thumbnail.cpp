#include "thumbnail.h"

#include <algorithm>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "base64.h"
#include "opencv_codecs.h"

namespace bestfocus {

namespace {

// Good enough to show focus: a thumbnail takes about 2 KB (light-sheet, 102 x 160) to 5 KB
// (the noisy sample stacks, 160 x 120).
constexpr int kJpegQuality = 85;

}  // namespace

cv::Size thumbnail_size(cv::Size image_size) {
    const int longest = std::max(image_size.width, image_size.height);
    if (longest <= kThumbnailSide) {
        return image_size;
    }
    const double scale = static_cast<double>(kThumbnailSide) / longest;
    return cv::Size(std::max(1, cvRound(image_size.width * scale)),
                    std::max(1, cvRound(image_size.height * scale)));
}

std::string thumbnail_data_uri(const cv::Mat& gray_image) {
    if (gray_image.empty()) {
        return "";
    }
    std::vector<unsigned char> jpeg;
    try {
        cv::Mat small;
        cv::resize(gray_image, small, thumbnail_size(gray_image.size()), 0, 0, cv::INTER_AREA);
        if (!codecs_encode_jpeg(small, kJpegQuality, jpeg)) {
            return "";
        }
    } catch (const cv::Exception&) {
        // A page without one thumbnail is better than no page after the whole run.
        return "";
    }
    return "data:image/jpeg;base64," + base64_encode(jpeg.data(), jpeg.size());
}

}  // namespace bestfocus
