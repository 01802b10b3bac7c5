#include "tiff_float_page.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "tiff_bytes.h"

namespace bestfocus {
namespace {

// The file's bytes for TIFFClientOpen, read only.
struct ReadOnlyFile {
    const std::string& bytes;
    toff_t position = 0;
};

tmsize_t read_bytes(thandle_t handle, void* into, tmsize_t size) {
    ReadOnlyFile& file = *static_cast<ReadOnlyFile*>(handle);
    const toff_t available =
        file.position < file.bytes.size() ? file.bytes.size() - file.position : 0;
    const toff_t count = std::min<toff_t>(available, static_cast<toff_t>(size));
    std::memcpy(into, file.bytes.data() + file.position, count);
    file.position += count;
    return static_cast<tmsize_t>(count);
}

tmsize_t refuse_write(thandle_t, void*, tmsize_t) { return -1; }

toff_t seek_bytes(thandle_t handle, toff_t offset, int whence) {
    ReadOnlyFile& file = *static_cast<ReadOnlyFile*>(handle);
    const toff_t base = whence == SEEK_END   ? file.bytes.size()
                        : whence == SEEK_CUR ? file.position
                                             : 0;
    file.position = base + offset;
    return file.position;
}

int close_bytes(thandle_t) { return 0; }
toff_t bytes_size(thandle_t handle) { return static_cast<ReadOnlyFile*>(handle)->bytes.size(); }
int no_map(thandle_t, void**, toff_t*) { return 0; }
void no_unmap(thandle_t, void*, toff_t) {}

bool read_page(TIFF* tiff, std::uint64_t file_size, cv::Mat* image, std::string* problem) {
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t samples = 1;
    uint16_t bits = 1;
    uint16_t format = SAMPLEFORMAT_UINT;
    uint16_t photometric = PHOTOMETRIC_MINISBLACK;
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    if (width == 0 || height == 0 || width > kLargestPageSide || height > kLargestPageSide ||
        samples != 1 || bits != 32 || format != SAMPLEFORMAT_IEEEFP ||
        photometric != PHOTOMETRIC_MINISBLACK || compression != COMPRESSION_NONE ||
        TIFFIsTiled(tiff) != 0) {
        *problem = "it is not one gray channel of uncompressed 32-bit floats in strips";
        return false;
    }
    if (std::uint64_t{width} * height * 4 > file_size) {
        *problem = "it claims more pixels than the file holds";
        return false;
    }
    image->create(static_cast<int>(height), static_cast<int>(width), CV_32FC1);
    if (TIFFScanlineSize64(tiff) != static_cast<std::uint64_t>(image->step[0])) {
        *problem = "its rows are not as long as its width says";
        return false;
    }
    for (uint32_t row = 0; row < height; ++row) {
        if (TIFFReadScanline(tiff, image->ptr(static_cast<int>(row)), row, 0) < 0) {
            *problem = "its pixels cannot be read";
            return false;
        }
    }
    return true;
}

}  // namespace

bool read_float_tiff_page(const std::string& bytes, cv::Mat* image, std::string* problem) {
    // Our messages say what is wrong; libtiff's own would only repeat it, on standard error.
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
    ReadOnlyFile file{bytes, 0};
    TIFF* tiff = TIFFClientOpen("depth", "r", &file, read_bytes, refuse_write, seek_bytes,
                                close_bytes, bytes_size, no_map, no_unmap);
    if (tiff == nullptr) {
        *problem = "it is not a TIFF file";
        return false;
    }
    bool read = read_page(tiff, bytes.size(), image, problem);
    if (read && TIFFReadDirectory(tiff) == 1) {
        *problem = "it has more than one page";
        read = false;
    }
    TIFFClose(tiff);
    return read;
}

}  // namespace bestfocus
