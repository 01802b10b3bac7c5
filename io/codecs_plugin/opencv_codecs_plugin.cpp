// OpenCV's image codecs behind three plain functions, built as a shared library the tool loads
// only when a file needs them: loading the codecs costs about 0.1 s and 40 MiB.
#include <exception>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include "codecs_plugin_api.h"

extern "C" {

__attribute__((visibility("default"))) bool bestfocus_codecs_read(const char* file, int page,
                                                                  int flags, cv::Mat* image) {
    try {
        if (page < 0) {
            *image = cv::imread(file, flags);
            return !image->empty();
        }
        std::vector<cv::Mat> pages;
        if (!cv::imreadmulti(file, pages, page, 1, flags) || pages.size() != 1) {
            return false;
        }
        *image = pages[0];
        return !image->empty();
    } catch (const std::exception&) {
        return false;
    }
}

__attribute__((visibility("default"))) int bestfocus_codecs_count(const char* file, int flags) {
    try {
        return static_cast<int>(cv::imcount(file, flags));
    } catch (const std::exception&) {
        return 0;
    }
}

__attribute__((visibility("default"))) bool bestfocus_codecs_encode_jpeg(
    const cv::Mat* image, int quality, std::vector<unsigned char>* bytes) {
    try {
        return cv::imencode(".jpg", *image, *bytes, {cv::IMWRITE_JPEG_QUALITY, quality});
    } catch (const std::exception&) {
        return false;
    }
}

}  // extern "C"
