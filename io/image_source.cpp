#include "image_source.h"

#include <unistd.h>

#include <cstring>
#include <opencv2/imgcodecs.hpp>

#include "bmp_header_check.h"
#include "bmp_reader.h"
#include "open_file.h"
#include "opencv_codecs.h"
#include "tiff_open.h"
#include "tiff_pages.h"

namespace bestfocus {

namespace {

// Gray at the stored depth: without IMREAD_COLOR OpenCV converts colour to gray, and
// IMREAD_ANYDEPTH keeps 16-bit (and other) depths instead of reducing them to 8 bits.
constexpr int kGrayAtDepth = cv::IMREAD_ANYDEPTH;

// The directory of page `page` of the open TIFF file, 0 when the file has no such page. Walks the
// chain: callers that read many pages pass the directories found once (pages_of).
std::uint64_t directory_of_page(const OpenFile& file, const std::string& name, int page) {
    const TiffPageIndex index = index_tiff_pages(file, name);
    if (index.damaged || static_cast<std::size_t>(page) >= index.directory_offsets.size()) {
        return 0;
    }
    return index.directory_offsets[static_cast<std::size_t>(page)];
}

// A name that opens the file already open rather than whatever its path names by now, for OpenCV's
// decoders, which open files by name; the path itself where /proc is not mounted.
std::string name_of_open(const OpenFile& file, const std::string& path) {
    const std::string name = "/proc/self/fd/" + std::to_string(file.fd());
    return access(name.c_str(), R_OK) == 0 ? name : path;
}

ReadImage read_by_opencv(const ImageLocation& image, const OpenFile& file) {
    ReadImage result;
    const std::string problem = codecs_problem();
    if (!problem.empty()) {
        result.why = "reading it needs OpenCV's image decoders, which cannot be loaded: " + problem;
        return result;
    }
    // A run-length encoded BMP: its codes are checked in the whole file before OpenCV follows them.
    if (image.page < 0 && bmp_file_is_corrupt(file.fd(), file.size())) {
        return result;
    }
    // Pages our reader leaves to OpenCV (colour, other depths): it steps over the earlier pages'
    // directories, so reading every page of such a file is quadratic.
    result.decoded = codecs_read(name_of_open(file, image.file), image.page, kGrayAtDepth);
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

OpenedImage::OpenedImage(const ImageLocation& image) : image_(image), file_(image.file) {
    if (file_.fd() < 0) {
        return;
    }
    if (!has_tiff_signature(file_.fd())) {
        header_ = read_image_header(file_, image);
        const OwnRead own =
            image.page < 0 ? find_own_bmp_rows(file_.fd(), file_.size()) : OwnRead::not_ours();
        own_ = own.outcome;
        if (own_ == OwnRead::Outcome::stored) stored_ = own.stored;
        return;
    }
    std::uint64_t directory = 0;  // the first page
    if (image.page >= 0) {
        directory = image.directory != 0 ? image.directory
                                         : directory_of_page(file_, image.file, image.page);
        if (directory == 0) {
            return;  // a page of a TIFF file that is not there
        }
    }
    tiff_ = std::make_unique<OpenedTiffPage>(open_tiff_page(file_, image.file, directory));
    header_ = tiff_->header;
    own_ = tiff_->found.outcome;
    if (own_ == OwnRead::Outcome::stored) stored_ = tiff_->found.stored;
}

OpenedImage::~OpenedImage() = default;

ReadImage OpenedImage::read_whole(ReadBuffer& buffer) const {
    switch (own_) {
        case OwnRead::Outcome::not_ours: return read_by_opencv(image_, file_);
        case OwnRead::Outcome::stored: {
            const std::optional<ImageView> pixels =
                read_all_stored_rows(file_.fd(), *stored_, buffer);
            return pixels ? read_by_us(*pixels) : ReadImage();
        }
        case OwnRead::Outcome::to_decode: {
            const OwnRead decoded = decode_tiff_page(*tiff_, buffer);
            return decoded.outcome == OwnRead::Outcome::read ? read_by_us(decoded.view)
                                                             : ReadImage();
        }
        case OwnRead::Outcome::read:  // our readers decode only here
        case OwnRead::Outcome::unreadable: break;
    }
    return ReadImage();
}

ReadImage read_image(const ImageLocation& image, ReadBuffer& buffer) {
    return OpenedImage(image).read_whole(buffer);
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
    const OpenFile opened(file);
    if (opened.fd() < 0) {  // not a regular file
        return pages;
    }
    if (has_tiff_signature(opened.fd())) {
        TiffPageIndex index = index_tiff_pages(opened, file);
        pages.damaged = index.damaged;
        pages.count = index.damaged ? 0 : static_cast<int>(index.directory_offsets.size());
        pages.directories = std::move(index.directory_offsets);
        if (pages.count > 0) pages.description = first_page_description(opened, file);
        return pages;
    }
    pages.count = codecs_count(name_of_open(opened, file), kGrayAtDepth);
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
