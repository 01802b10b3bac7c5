#include "image_source.h"

#include <exception>
#include <filesystem>
#include <iostream>
#include <opencv2/core/utils/logger.hpp>
#include <opencv2/imgcodecs.hpp>
#include <optional>
#include <vector>

#include "bmp_header_check.h"
#include "tiff_open.h"
#include "tiff_pages.h"

namespace bestfocus {

namespace {

bool is_regular_file(const std::string& path) {
    std::error_code ignored;  // a path that cannot be examined is not a regular file
    return std::filesystem::is_regular_file(path, ignored);
}

// Gray at the stored depth: without IMREAD_COLOR OpenCV converts colour to gray, and
// IMREAD_ANYDEPTH keeps 16-bit (and other) depths instead of reducing them to 8 bits.
constexpr int kGrayAtDepth = cv::IMREAD_ANYDEPTH;

// OpenCV logs its decoders' complaints (libtiff's and libpng's among them) and writes the
// exceptions of imread and imcount to std::cerr (OpenCV 4.6). The tool's own message must be the
// only one: its logging is silenced, and std::cerr, which the tool never writes (its diagnostics go
// through stdio), is left without a buffer so that what is written there is dropped.
void quiet_opencv() {
    static const bool quiet = [] {
        cv::utils::logging::setLogLevel(cv::utils::logging::LOG_LEVEL_SILENT);
        std::cerr.rdbuf(nullptr);
        return true;
    }();
    (void)quiet;
}

// The directory of page `page` of a TIFF file, 0 when the file has no such page. Walks the chain:
// callers that read many pages pass the directories found once (pages_of).
std::uint64_t directory_of_page(const std::string& file, int page) {
    const TiffPageIndex index = index_tiff_pages(file);
    if (index.damaged || static_cast<std::size_t>(page) >= index.directory_offsets.size()) {
        return 0;
    }
    return index.directory_offsets[static_cast<std::size_t>(page)];
}

// The image through our TIFF reader, when it is a TIFF page of the kind it reads; an empty matrix
// when such a page cannot be read, or a page of a TIFF file that is not there; nothing otherwise.
std::optional<cv::Mat> decoded_tiff(const ImageLocation& image) {
    if (!has_tiff_signature(image.file)) {
        return std::nullopt;
    }
    std::uint64_t directory = 0;  // the first page
    if (image.page >= 0) {
        directory =
            image.directory != 0 ? image.directory : directory_of_page(image.file, image.page);
        if (directory == 0) {
            return cv::Mat();
        }
    }
    return read_gray_tiff_page(image.file, directory);
}

}  // namespace

std::string described(const ImageLocation& image) {
    if (image.page < 0) {
        return image.file;
    }
    return image.file + " (page " + std::to_string(image.page + 1) + ")";
}

// Only regular files are opened: opening a FIFO waits for a writer, possibly for ever, and a device
// may never end. OpenCV reports most bad files by an empty matrix, but throws for some (an image
// beyond its size limit, memory exhausted).
cv::Mat decode_at_depth(const ImageLocation& image) {
    if (!is_regular_file(image.file)) {
        return cv::Mat();
    }
    try {
        if (std::optional<cv::Mat> own = decoded_tiff(image)) {
            return *own;
        }
        quiet_opencv();
        if (image.page < 0) {
            if (bmp_file_is_corrupt(image.file)) {
                return cv::Mat();
            }
            return cv::imread(image.file, kGrayAtDepth);
        }
        // Pages our reader leaves to OpenCV (colour, tiles, other depths): it steps over the
        // earlier pages' directories, so reading every page of such a file is quadratic.
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

FilePages pages_of(const std::string& file) {
    FilePages pages;
    if (!is_regular_file(file)) {
        return pages;
    }
    if (has_tiff_signature(file)) {
        TiffPageIndex index = index_tiff_pages(file);
        pages.damaged = index.damaged;
        pages.count = index.damaged ? 0 : static_cast<int>(index.directory_offsets.size());
        pages.directories = std::move(index.directory_offsets);
        return pages;
    }
    quiet_opencv();
    try {
        pages.count = static_cast<int>(cv::imcount(file, kGrayAtDepth));
    } catch (const std::exception&) {
        pages.count = 0;
    }
    return pages;
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

}  // namespace bestfocus
