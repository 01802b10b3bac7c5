// OpenCV's image codecs (and its scaling, for the page's previews) behind three plain functions,
// built as a shared library the tool loads only when a file needs them: loading the codecs costs
// about 0.1 s and 40 MiB.
#include <exception>
#include <iostream>
#include <mutex>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "codecs_plugin_api.h"

namespace {

// OpenCV 4.6 writes the exceptions its decoders throw inside imread, imreadmulti and imcount to
// std::cerr, beside the tool's own message. While any decode runs, std::cerr writes nowhere; the
// last decode to end gives it back, so a program that loads the plugin (a Python process) keeps
// its std::cerr outside decodes.
class QuietStandardError {
  public:
    QuietStandardError() {
        std::lock_guard<std::mutex> lock(mutex());
        if (active()++ == 0) saved() = std::cerr.rdbuf(nullptr);
    }
    ~QuietStandardError() {
        std::lock_guard<std::mutex> lock(mutex());
        if (--active() == 0) std::cerr.rdbuf(saved());
    }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

  private:
    static std::mutex& mutex() {
        static std::mutex shared;
        return shared;
    }
    static int& active() {
        static int decodes = 0;
        return decodes;
    }
    static std::streambuf*& saved() {
        static std::streambuf* buffer = nullptr;
        return buffer;
    }
};

}  // namespace

extern "C" {

__attribute__((visibility("default"))) bool bestfocus_codecs_read(const char* file, int page,
                                                                  int flags, cv::Mat* image) {
    const QuietStandardError quiet;
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
    const QuietStandardError quiet;
    try {
        return static_cast<int>(cv::imcount(file, flags));
    } catch (const std::exception&) {
        return 0;
    }
}

__attribute__((visibility("default"))) bool bestfocus_codecs_encode_scaled_jpeg(
    const cv::Mat* image, int width, int height, int quality, std::vector<unsigned char>* bytes) {
    try {
        cv::Mat scaled = *image;
        if (image->cols != width || image->rows != height) {
            cv::resize(*image, scaled, cv::Size(width, height), 0, 0, cv::INTER_AREA);
        }
        return cv::imencode(".jpg", scaled, *bytes, {cv::IMWRITE_JPEG_QUALITY, quality});
    } catch (const std::exception&) {
        return false;
    }
}

}  // extern "C"
