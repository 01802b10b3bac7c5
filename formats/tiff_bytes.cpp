#include "tiff_bytes.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace bestfocus {
namespace {

// A file in memory for TIFFClientOpen: libtiff seeks and rewrites its headers as it goes. The
// bytes from hole_begin up to hole_end are not kept: libtiff must write them once, in order (the
// pixels of a page, laid there by the caller), and they read as zeros.
struct MemoryFile {
    std::string bytes;  // the file without its hole
    toff_t position = 0;
    toff_t hole_begin = 0;
    toff_t hole_end = 0;
    toff_t hole_written = 0;    // how much of the hole was written, from its start
    bool hole_kept_out = true;  // every write into the hole was as above
    toff_t size() const { return bytes.size() + (bytes.size() >= hole_begin ? hole_written : 0); }
    // Where a position outside the hole lies in `bytes`.
    toff_t kept(toff_t at) const { return at < hole_begin ? at : at - (hole_end - hole_begin); }
};

tmsize_t read_memory(thandle_t handle, void* into, tmsize_t size) {
    MemoryFile& file = *static_cast<MemoryFile*>(handle);
    if (file.position >= file.hole_begin && file.position < file.hole_end) {
        const toff_t count = std::min<toff_t>(file.hole_end - file.position, size);
        std::memset(into, 0, count);
        file.position += count;
        return static_cast<tmsize_t>(count);
    }
    const toff_t at = file.kept(file.position);
    const toff_t available = at < file.bytes.size() ? file.bytes.size() - at : 0;
    toff_t count = std::min<toff_t>(available, static_cast<toff_t>(size));
    if (file.position < file.hole_begin) {
        count = std::min(count, file.hole_begin - file.position);
    }
    std::memcpy(into, file.bytes.data() + at, count);
    file.position += count;
    return static_cast<tmsize_t>(count);
}

tmsize_t write_memory(thandle_t handle, void* from, tmsize_t size) {
    MemoryFile& file = *static_cast<MemoryFile*>(handle);
    const toff_t end = file.position + static_cast<toff_t>(size);
    if (end > file.hole_begin && file.position < file.hole_end) {
        // Into the hole: only the next bytes of it, never across its edges.
        if (file.position != file.hole_begin + file.hole_written || end > file.hole_end) {
            file.hole_kept_out = false;
        } else {
            file.hole_written += static_cast<toff_t>(size);
        }
        file.position = end;
        return size;
    }
    const toff_t at = file.kept(file.position);
    if (at + static_cast<toff_t>(size) > file.bytes.size()) {
        file.bytes.resize(at + static_cast<toff_t>(size));
    }
    std::memcpy(file.bytes.data() + at, from, static_cast<std::size_t>(size));
    file.position = end;
    return size;
}

toff_t seek_memory(thandle_t handle, toff_t offset, int whence) {
    MemoryFile& file = *static_cast<MemoryFile*>(handle);
    const toff_t base = whence == SEEK_END ? file.size() : whence == SEEK_CUR ? file.position : 0;
    file.position = base + offset;
    return file.position;
}

int close_memory(thandle_t) { return 0; }

toff_t memory_size(thandle_t handle) { return static_cast<MemoryFile*>(handle)->size(); }

int no_map(thandle_t, void**, toff_t*) { return 0; }

void no_unmap(thandle_t, void*, toff_t) {}

// The fields of a page of one channel of `type` (CV_8UC1, CV_16UC1 or CV_32FC1).
void set_page_fields(TIFF* tiff, int width, int height, int type, const std::string& description) {
    const int bits = CV_ELEM_SIZE1(type) * 8;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(height));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, bits);
    if (CV_MAT_DEPTH(type) == CV_32F) {
        TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_IEEEFP);
    }
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));
    TIFFSetField(tiff, TIFFTAG_IMAGEDESCRIPTION, description.c_str());
}

bool write_page(TIFF* tiff, const TiffPage& page) {
    const cv::Mat& image = page.image;
    set_page_fields(tiff, image.cols, image.rows, image.type(), page.description);
    for (int row = 0; row < image.rows; ++row) {
        // libtiff takes a non-const buffer but only reads it.
        if (TIFFWriteScanline(tiff, const_cast<uchar*>(image.ptr(row)), static_cast<uint32_t>(row),
                              0) < 0) {
            return false;
        }
    }
    return TIFFWriteDirectory(tiff) == 1;
}

// One page as the writer above writes it, checked before any pixel is read.
bool read_page(TIFF* tiff, std::uint64_t file_size, TiffPage* page, std::string* problem) {
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t samples = 1;
    uint16_t bits = 1;
    uint16_t photometric = PHOTOMETRIC_MINISBLACK;
    uint16_t format = SAMPLEFORMAT_UINT;
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    const bool tiled = TIFFIsTiled(tiff) != 0;
    const bool whole_numbers = format == SAMPLEFORMAT_UINT && (bits == 8 || bits == 16);
    const bool floats = format == SAMPLEFORMAT_IEEEFP && bits == 32;
    if (width == 0 || height == 0 || width > kLargestPageSide || height > kLargestPageSide ||
        samples != 1 || !(whole_numbers || floats) || photometric != PHOTOMETRIC_MINISBLACK ||
        compression != COMPRESSION_NONE || tiled) {
        *problem = "a page is not one gray channel of 8 or 16 bits, or of 32-bit floats, "
                   "uncompressed in strips";
        return false;
    }
    // Uncompressed pages cannot hold more pixels than the file has bytes.
    const std::uint64_t bytes = std::uint64_t{width} * height * (bits / 8);
    if (bytes > file_size) {
        *problem = "a page claims more pixels than the file holds";
        return false;
    }
    page->image.create(static_cast<int>(height), static_cast<int>(width),
                       floats ? CV_32FC1 : bits == 16 ? CV_16UC1 : CV_8UC1);
    if (TIFFScanlineSize64(tiff) != static_cast<std::uint64_t>(page->image.step[0])) {
        *problem = "a page's rows are not as long as its width says";
        return false;
    }
    for (uint32_t row = 0; row < height; ++row) {
        if (TIFFReadScanline(tiff, page->image.ptr(static_cast<int>(row)), row, 0) < 0) {
            *problem = "a page's pixels cannot be read";
            return false;
        }
    }
    char* description = nullptr;
    page->description =
        TIFFGetField(tiff, TIFFTAG_IMAGEDESCRIPTION, &description) == 1 && description != nullptr
            ? description
            : "";
    return true;
}

}  // namespace

bool read_tiff_pages(const std::string& bytes, std::size_t most_pages, std::vector<TiffPage>* pages,
                     std::string* problem) {
    // Our messages say what is wrong; libtiff's own would only repeat it, on standard error.
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
    MemoryFile file{bytes, 0};
    TIFF* tiff = TIFFClientOpen("pages", "r", &file, read_memory, write_memory, seek_memory,
                                close_memory, memory_size, no_map, no_unmap);
    if (tiff == nullptr) {
        *problem = "it is not a TIFF file";
        return false;
    }
    bool read = true;
    pages->clear();
    do {
        if (pages->size() == most_pages) {
            *problem = "it has more than " + std::to_string(most_pages) + " pages";
            read = false;
            break;
        }
        pages->emplace_back();
        read = read_page(tiff, bytes.size(), &pages->back(), problem);
    } while (read && TIFFReadDirectory(tiff) == 1);
    TIFFClose(tiff);
    return read;
}

bool tiff_file_bytes(const std::vector<TiffPage>& pages, std::string* bytes, std::string* problem) {
    for (const TiffPage& page : pages) {
        const int type = page.image.type();
        if (type != CV_8UC1 && type != CV_16UC1 && type != CV_32FC1) {
            *problem = "only 8- and 16-bit gray images and 32-bit float maps can be exported";
            return false;
        }
    }
    MemoryFile file;
    // The pixels and room for the headers: a large page is not copied as the file grows.
    std::size_t pixel_bytes = 0;
    for (const TiffPage& page : pages) {
        pixel_bytes += page.image.total() * page.image.elemSize() + page.description.size() + 512;
    }
    file.bytes.reserve(pixel_bytes + 4096);
    // "w8" would be BigTIFF; a classic TIFF is what every reader takes, up to 4 GiB.
    TIFF* tiff = TIFFClientOpen("picks", "w", &file, read_memory, write_memory, seek_memory,
                                close_memory, memory_size, no_map, no_unmap);
    if (tiff == nullptr) {
        *problem = "libtiff cannot start a file";
        return false;
    }
    bool written = true;
    for (const TiffPage& page : pages) {
        written = written && write_page(tiff, page);
    }
    TIFFClose(tiff);
    if (!written) {
        *problem = "libtiff cannot write a page";
        return false;
    }
    *bytes = std::move(file.bytes);
    return true;
}

bool tiff_frame(int width, int height, int type, const std::string& description, TiffFrame* frame,
                std::string* problem) {
    // libtiff writes the classic header first, then the strips end to end after it.
    constexpr toff_t kHeaderBytes = 8;
    const std::size_t row_bytes = static_cast<std::size_t>(width) * CV_ELEM_SIZE(type);
    MemoryFile file;
    file.hole_begin = kHeaderBytes;
    file.hole_end = kHeaderBytes + row_bytes * static_cast<std::size_t>(height);
    file.bytes.reserve(static_cast<std::size_t>(height) * 16 + description.size() + 4096);
    TIFF* tiff = TIFFClientOpen("frame", "w", &file, read_memory, write_memory, seek_memory,
                                close_memory, memory_size, no_map, no_unmap);
    if (tiff == nullptr) {
        *problem = "libtiff cannot start a file";
        return false;
    }
    set_page_fields(tiff, width, height, type, description);
    std::vector<unsigned char> zeros(row_bytes);  // the real rows go into the hole later
    bool written = true;
    for (int row = 0; row < height && written; ++row) {
        written = TIFFWriteScanline(tiff, zeros.data(), static_cast<uint32_t>(row), 0) >= 0;
    }
    written = written && TIFFWriteDirectory(tiff) == 1;
    TIFFClose(tiff);
    if (!written) {
        *problem = "libtiff cannot write a page";
        return false;
    }
    if (!file.hole_kept_out || file.hole_written != file.hole_end - file.hole_begin) {
        *problem = "libtiff did not lay the pixels out in one run after the header";
        return false;
    }
    frame->before = file.bytes.substr(0, kHeaderBytes);
    frame->after = file.bytes.substr(kHeaderBytes);
    return true;
}

}  // namespace bestfocus
