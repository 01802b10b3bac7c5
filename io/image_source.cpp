#include "image_source.h"

#include <cstring>
#include <filesystem>
#include <opencv2/imgcodecs.hpp>

#include "bmp_header_check.h"
#include "bmp_reader.h"
#include "open_file.h"
#include "opencv_codecs.h"
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

// The directory of page `page` of a TIFF file, 0 when the file has no such page. Walks the chain:
// callers that read many pages pass the directories found once (pages_of).
std::uint64_t directory_of_page(const std::string& file, int page) {
    const TiffPageIndex index = index_tiff_pages(file);
    if (index.damaged || static_cast<std::size_t>(page) >= index.directory_offsets.size()) {
        return 0;
    }
    return index.directory_offsets[static_cast<std::size_t>(page)];
}

// The image through our TIFF reader; unreadable for a page of a TIFF file that is not there.
OwnRead own_tiff(const ImageLocation& image, ReadBuffer& buffer) {
    std::uint64_t directory = 0;  // the first page
    if (image.page >= 0) {
        directory =
            image.directory != 0 ? image.directory : directory_of_page(image.file, image.page);
        if (directory == 0) {
            return OwnRead::unreadable();
        }
    }
    return find_gray_tiff_page(image.file, directory, buffer);
}

OwnRead own_read(const ImageLocation& image, const OpenFile& file, ReadBuffer& buffer) {
    if (has_tiff_signature(file.fd())) {
        return own_tiff(image, buffer);
    }
    if (image.page < 0) {
        return find_own_bmp_rows(file.fd(), file.size());
    }
    return OwnRead::not_ours();
}

ReadImage read_by_opencv(const ImageLocation& image) {
    ReadImage result;
    const std::string problem = codecs_problem();
    if (!problem.empty()) {
        result.why = "reading it needs OpenCV's image decoders, which cannot be loaded: " + problem;
        return result;
    }
    // A run-length encoded BMP: its codes are checked in the whole file before OpenCV follows them.
    if (image.page < 0 && bmp_file_is_corrupt(image.file)) {
        return result;
    }
    // Pages our reader leaves to OpenCV (colour, other depths): it steps over the earlier pages'
    // directories, so reading every page of such a file is quadratic.
    result.decoded = codecs_read(image.file, image.page, kGrayAtDepth);
    if (result.decoded.empty() || result.decoded.channels() != 1) {
        return result;
    }
    result.read = true;
    result.depth = result.decoded.depth();
    if (result.depth == CV_8U || result.depth == CV_16U) {
        result.view.pixels = result.decoded.data;
        result.view.depth = result.depth == CV_8U ? PixelDepth::u8 : PixelDepth::u16;
        result.view.width = result.decoded.cols;
        result.view.height = result.decoded.rows;
        result.view.row_stride = static_cast<std::ptrdiff_t>(result.decoded.step1());
    }
    return result;
}

ReadImage read_by_us(const ImageView& pixels) {
    ReadImage result;
    result.read = true;
    result.depth = pixels.depth == PixelDepth::u8 ? CV_8U : CV_16U;
    result.view = pixels;
    return result;
}

// The view's pixels copied into a matrix of their own, top row first.
cv::Mat copied(const ImageView& view) {
    const int type = view.depth == PixelDepth::u8 ? CV_8U : CV_16U;
    cv::Mat pixels(view.height, view.width, type);
    const std::size_t pixel_bytes = view.depth == PixelDepth::u8 ? 1 : 2;
    for (int y = 0; y < view.height; ++y) {
        const auto* row = static_cast<const unsigned char*>(view.pixels) +
                          y * view.row_stride * static_cast<std::ptrdiff_t>(pixel_bytes);
        std::memcpy(pixels.ptr(y), row, static_cast<std::size_t>(view.width) * pixel_bytes);
    }
    return pixels;
}

}  // namespace

std::string described(const ImageLocation& image) {
    if (image.page < 0) {
        return image.file;
    }
    return image.file + " (page " + std::to_string(image.page + 1) + ")";
}

OpenedImage open_image(const ImageLocation& image, ReadBuffer& buffer) {
    OpenedImage opened{OpenFile(image.file), std::nullopt, {}};
    if (opened.file.fd() < 0) {
        return opened;
    }
    const OwnRead own = own_read(image, opened.file, buffer);
    switch (own.outcome) {
        case OwnRead::Outcome::unreadable: break;
        case OwnRead::Outcome::stored: opened.stored = own.stored; break;
        case OwnRead::Outcome::read: opened.whole = read_by_us(own.view); break;
        case OwnRead::Outcome::not_ours: opened.whole = read_by_opencv(image); break;
    }
    return opened;
}

ReadImage read_whole(OpenedImage opened, ReadBuffer& buffer) {
    if (!opened.stored) {
        return std::move(opened.whole);
    }
    const std::optional<ImageView> pixels =
        read_all_stored_rows(opened.file.fd(), *opened.stored, buffer);
    return pixels ? read_by_us(*pixels) : ReadImage();
}

ReadImage read_image(const ImageLocation& image, ReadBuffer& buffer) {
    return read_whole(open_image(image, buffer), buffer);
}

cv::Mat decode_at_depth(const ImageLocation& image) {
    ReadBuffer buffer;
    const ReadImage read = read_image(image, buffer);
    if (!read.read) {
        return cv::Mat();
    }
    return read.decoded.empty() ? copied(read.view) : read.decoded;
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
    pages.count = codecs_count(file, kGrayAtDepth);
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
