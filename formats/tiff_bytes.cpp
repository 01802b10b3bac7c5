#include "tiff_bytes.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>

namespace bestfocus {
namespace {

// A file in memory for TIFFClientOpen: libtiff seeks and rewrites its headers as it goes.
struct MemoryFile {
    std::string bytes;
    toff_t position = 0;
};

tmsize_t read_memory(thandle_t handle, void* into, tmsize_t size) {
    MemoryFile& file = *static_cast<MemoryFile*>(handle);
    const toff_t available =
        file.position < file.bytes.size() ? file.bytes.size() - file.position : 0;
    const toff_t count = std::min<toff_t>(available, static_cast<toff_t>(size));
    std::memcpy(into, file.bytes.data() + file.position, count);
    file.position += count;
    return static_cast<tmsize_t>(count);
}

tmsize_t write_memory(thandle_t handle, void* from, tmsize_t size) {
    MemoryFile& file = *static_cast<MemoryFile*>(handle);
    const toff_t end = file.position + static_cast<toff_t>(size);
    if (end > file.bytes.size()) {
        file.bytes.resize(end);
    }
    std::memcpy(file.bytes.data() + file.position, from, static_cast<std::size_t>(size));
    file.position = end;
    return size;
}

toff_t seek_memory(thandle_t handle, toff_t offset, int whence) {
    MemoryFile& file = *static_cast<MemoryFile*>(handle);
    const toff_t base = whence == SEEK_END   ? file.bytes.size()
                        : whence == SEEK_CUR ? file.position
                                             : 0;
    file.position = base + offset;
    return file.position;
}

int close_memory(thandle_t) { return 0; }

toff_t memory_size(thandle_t handle) { return static_cast<MemoryFile*>(handle)->bytes.size(); }

int no_map(thandle_t, void**, toff_t*) { return 0; }

void no_unmap(thandle_t, void*, toff_t) {}

bool write_page(TIFF* tiff, const TiffPage& page) {
    const cv::Mat& image = page.image;
    const int bits = image.depth() == CV_16U ? 16 : 8;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(image.cols));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(image.rows));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));
    TIFFSetField(tiff, TIFFTAG_IMAGEDESCRIPTION, page.description.c_str());
    for (int row = 0; row < image.rows; ++row) {
        // libtiff takes a non-const buffer but only reads it.
        if (TIFFWriteScanline(tiff, const_cast<uchar*>(image.ptr(row)), static_cast<uint32_t>(row),
                              0) < 0) {
            return false;
        }
    }
    return TIFFWriteDirectory(tiff) == 1;
}

}  // namespace

bool tiff_file_bytes(const std::vector<TiffPage>& pages, std::string* bytes, std::string* problem) {
    for (const TiffPage& page : pages) {
        if (page.image.type() != CV_8UC1 && page.image.type() != CV_16UC1) {
            *problem = "only 8- and 16-bit gray images can be exported";
            return false;
        }
    }
    MemoryFile file;
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

}  // namespace bestfocus
