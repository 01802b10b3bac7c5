#include "image_source.h"

#include <exception>
#include <filesystem>
#include <opencv2/imgcodecs.hpp>
#include <vector>

#include "bmp_header_check.h"

namespace {

bool is_regular_file(const std::string& path) {
    std::error_code ignored;  // a path that cannot be examined is not a regular file
    return std::filesystem::is_regular_file(path, ignored);
}

// Gray at the stored depth: without IMREAD_COLOR OpenCV converts colour to gray, and
// IMREAD_ANYDEPTH keeps 16-bit (and other) depths instead of reducing them to 8 bits.
constexpr int kGrayAtDepth = cv::IMREAD_ANYDEPTH;

}  // namespace

namespace bestfocus {

std::string described(const ImageLocation& image) {
    if (image.page < 0) {
        return image.file;
    }
    return image.file + " (page " + std::to_string(image.page + 1) + ")";
}

}  // namespace bestfocus

// Only regular files are opened: opening a FIFO waits for a writer, possibly for ever, and a device
// may never end. OpenCV reports most bad files by an empty matrix, but throws for some (an image
// beyond its size limit, memory exhausted).
cv::Mat decode_at_depth(const ImageLocation& image) {
    if (!is_regular_file(image.file)) {
        return cv::Mat();
    }
    try {
        if (image.page < 0) {
            if (bmp_file_is_corrupt(image.file)) {
                return cv::Mat();
            }
            return cv::imread(image.file, kGrayAtDepth);
        }
        // OpenCV steps over the earlier pages' directories without decoding their pixels, so a
        // late page costs about what the first does.
        std::vector<cv::Mat> pages;
        if (!cv::imreadmulti(image.file, pages, image.page, 1, kGrayAtDepth) || pages.size() != 1) {
            return cv::Mat();
        }
        return pages[0];
    } catch (const std::exception&) {
        return cv::Mat();
    }
}

cv::Mat decode_for_display(const ImageLocation& image) {
    const cv::Mat pixels = decode_at_depth(image);
    if (pixels.empty() || pixels.depth() == CV_8U) {
        return pixels;
    }
    if (pixels.depth() != CV_16U) {
        return cv::Mat();
    }
    cv::Mat bytes;
    pixels.convertTo(bytes, CV_8U, 255.0 / 65535.0);
    return bytes;
}

int page_count(const std::string& file) {
    if (!is_regular_file(file)) {
        return 0;
    }
    try {
        return static_cast<int>(cv::imcount(file, kGrayAtDepth));
    } catch (const std::exception&) {
        return 0;
    }
}

std::string depth_name(int depth) {
    switch (depth) {
        case CV_8U: return "8-bit unsigned";
        case CV_8S: return "8-bit signed";
        case CV_16U: return "16-bit unsigned";
        case CV_16S: return "16-bit signed";
        case CV_32S: return "32-bit integer";
        case CV_32F: return "32-bit float";
        case CV_64F: return "64-bit float";
        default: return "depth " + std::to_string(depth);
    }
}
