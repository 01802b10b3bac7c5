// Decoding an image of a stack from where it lies (image_location.h).
#pragma once

#include <cstdint>
#include <memory>
#include <opencv2/core.hpp>
#include <optional>
#include <string>
#include <vector>

#include "image_header.h"
#include "image_location.h"
#include "image_view.h"
#include "open_file.h"
#include "own_read.h"
#include "read_buffer.h"
#include "stored_rows.h"
#include "tiff_description.h"

namespace bestfocus {

struct OpenedTiffPage;  // tiff_pages.h

// An image read to be measured: our readers leave its pixels in the caller's buffer, OpenCV's
// decoders in `decoded`.
struct ReadImage {
    bool read = false;
    int depth = CV_8U;  // OpenCV's depth of the pixels; the view is set only for CV_8U and CV_16U
    ImageView view;
    cv::Mat decoded;  // holds the pixels OpenCV decoded
    std::string why;  // when not read: why, for standard error ("needs OpenCV's decoders..."), or
                      // empty when the file is simply not a readable image
};

// An image opened once to be measured, nothing of its pixels decoded yet: what its header says of
// them, so that the memory decoding it takes is known first, and where our readers find its rows
// lying in the file (stored_rows.h), for the caller to read a band at a time, when they lie there.
// Every read of the image goes through the one opening: a file replaced after it is opened is
// still the file opened.
class OpenedImage {
  public:
    explicit OpenedImage(const ImageLocation& image);
    ~OpenedImage();

    // What the header says of the pixels; nothing for a format whose header we do not read, or a
    // header that cannot be read.
    const std::optional<ImageHeader>& header() const { return header_; }
    // The rows where they lie in the file, when they do.
    const std::optional<StoredRows>& stored() const { return stored_; }
    // The one opening, for reading the stored rows (read_stored_rows).
    const OpenFile& file() const { return file_; }

    // The image whole: decoded (or its stored rows read) into the buffer by our readers, exactly
    // as read_image gives it, or by OpenCV's decoders.
    ReadImage read_whole(ReadBuffer& buffer) const;

  private:
    ImageLocation image_;
    OpenFile file_;
    std::optional<ImageHeader> header_;
    std::optional<StoredRows> stored_;
    std::unique_ptr<OpenedTiffPage> tiff_;  // a TIFF's page, its directory read once
    OwnRead::Outcome own_ = OwnRead::Outcome::unreadable;
};

// The image as one gray channel at its stored depth, exactly as decode_at_depth gives it; our own
// readers (bmp_reader.h, tiff_pages.h) read the kinds microscopes write without copying or
// allocating once the buffer has grown, OpenCV's decoders (loaded on first need) the rest.
// Valid until the buffer's next use.
ReadImage read_image(const ImageLocation& image, ReadBuffer& buffer);

// The image as one gray channel at the depth it is stored in (colour converted to gray at that
// depth): CV_8U for 8-bit files, CV_16U for 16-bit ones, whatever OpenCV gives for others. An
// empty matrix when the file is not a regular file, OpenCV is needed but cannot be loaded, its BMP
// headers do not fit it (see bmp_header_check.h), the page is not there, or OpenCV cannot decode
// it.
cv::Mat decode_at_depth(const ImageLocation& image);

// The image as 8-bit gray for showing it: 16-bit images scaled by 255 / 65535, so their full range
// maps onto the 8-bit one. Empty as decode_at_depth, and for depths other than 8 and 16 bits.
cv::Mat decode_for_display(const ImageLocation& image);

// The pages of a file that is a stack.
struct FilePages {
    int count = 0;         // 1 for a file of one image, 0 when it cannot be decoded
    bool damaged = false;  // a TIFF whose chain of directories breaks before its end
    // TIFF files: where each page's directory begins, so that a page is reached directly.
    std::vector<std::uint64_t> directories;
    // A TIFF's first page's description, which may give the file's dimensions.
    std::optional<TiffDescription> description;
};

// Counts the pages of the file, walking a TIFF's directories once, and reads its first page's
// description.
FilePages pages_of(const std::string& file);

// A name for the depth of a matrix ("32-bit float"), for messages.
std::string depth_name(int depth);

}  // namespace bestfocus
