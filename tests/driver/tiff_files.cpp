#include "tiff_files.h"

#include <tiffio.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "file_bytes.h"

namespace {

struct Closer {
    void operator()(TIFF* handle) const { TIFFClose(handle); }
};

void check(int status, const char* what) {
    if (status == 0) throw std::runtime_error(std::string("libtiff refused ") + what);
}

// The page in square tiles, those at the right and bottom edges padded with zeros.
void write_tiles(TIFF* tif, const cv::Mat& page, int side) {
    check(TIFFSetField(tif, TIFFTAG_TILEWIDTH, side), "tile width");
    check(TIFFSetField(tif, TIFFTAG_TILELENGTH, side), "tile length");
    for (int y = 0; y < page.rows; y += side) {
        for (int x = 0; x < page.cols; x += side) {
            cv::Mat tile = cv::Mat::zeros(side, side, page.type());
            const cv::Rect inside(x, y, std::min(side, page.cols - x),
                                  std::min(side, page.rows - y));
            page(inside).copyTo(tile(cv::Rect(0, 0, inside.width, inside.height)));
            check(TIFFWriteEncodedTile(tif, TIFFComputeTile(tif, x, y, 0, 0), tile.data,
                                       static_cast<tmsize_t>(tile.total() * tile.elemSize())) > 0,
                  "tile");
        }
    }
}

}  // namespace

void write_tiff(const std::string& path, const std::vector<cv::Mat>& pages,
                const TiffLayout& layout, const std::vector<std::string>& descriptions) {
    std::unique_ptr<TIFF, Closer> file(TIFFOpen(path.c_str(), layout.mode));
    if (!file) throw std::runtime_error("cannot create " + path);
    TIFF* tif = file.get();
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const cv::Mat& page = pages[i];
        if (i < descriptions.size()) {
            check(TIFFSetField(tif, TIFFTAG_IMAGEDESCRIPTION, descriptions[i].c_str()),
                  "description");
        }
        const int bits = static_cast<int>(page.elemSize1() * 8);
        check(TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, page.cols), "width");
        check(TIFFSetField(tif, TIFFTAG_IMAGELENGTH, page.rows), "height");
        check(TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits), "bits");
        check(TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, page.channels()), "samples");
        check(TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_UINT), "sample format");
        check(TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG), "planar");
        check(TIFFSetField(tif, TIFFTAG_PHOTOMETRIC,
                           page.channels() == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB),
              "photometric");
        check(TIFFSetField(tif, TIFFTAG_COMPRESSION, layout.compression), "compression");
        check(TIFFSetField(tif, TIFFTAG_FILLORDER, layout.fill_order), "fill order");
        if (layout.tile_side != 0) {
            write_tiles(tif, page, static_cast<int>(layout.tile_side));
            check(TIFFWriteDirectory(tif), "directory");
            continue;
        }
        check(TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, layout.rows_per_strip), "rows per strip");
        for (int row = 0; row < page.rows; ++row) {
            check(TIFFWriteScanline(tif, const_cast<uchar*>(page.ptr(row)), row, 0) == 1, "row");
        }
        check(TIFFWriteDirectory(tif), "directory");
    }
}

void patch_entry(const std::string& path, std::uint16_t tag, std::uint32_t count,
                 std::uint32_t value) {
    std::string bytes = read_file(path);
    auto* data = reinterpret_cast<unsigned char*>(bytes.data());
    const auto number = [](const unsigned char* at, int width) {
        std::uint32_t n = 0;
        for (int i = width - 1; i >= 0; --i) n = n << 8 | at[i];
        return n;
    };
    const auto put = [](unsigned char* at, int width, std::uint32_t n) {
        for (int i = 0; i < width; ++i) at[i] = static_cast<unsigned char>(n >> (8 * i));
    };
    unsigned char* entry = data + number(data + 4, 4) + 2;  // the first page's entries
    while (number(entry, 2) != tag) entry += 12;
    const int width = number(entry + 2, 2) == TIFF_SHORT ? 2 : 4;
    unsigned char* values = count * width <= 4 ? entry + 8 : data + number(entry + 8, 4);
    for (std::uint32_t v = 0; v < count; ++v) put(values + v * width, width, value);
    put(entry + 4, 4, count);
    write_file(path, bytes);
}

void link_last_page_to_first(const std::string& path) {
    std::unique_ptr<TIFF, Closer> file(TIFFOpen(path.c_str(), "r+"));
    if (!file) throw std::runtime_error("cannot open " + path);
    const uint64_t first = TIFFCurrentDirOffset(file.get());
    uint64_t last = first;
    while (TIFFReadDirectory(file.get())) {
        last = TIFFCurrentDirOffset(file.get());
    }
    // The link follows the entries: 2 bytes of count, 12 bytes an entry (classic TIFF).
    file.reset();
    FILE* raw = std::fopen(path.c_str(), "r+b");
    if (raw == nullptr) throw std::runtime_error("cannot open " + path);
    unsigned char count[2];
    std::fseek(raw, static_cast<long>(last), SEEK_SET);
    const bool read = std::fread(count, 1, 2, raw) == 2;
    const unsigned entries = count[0] | count[1] << 8;  // little endian, as "w" writes here
    std::fseek(raw, static_cast<long>(last + 2 + 12 * entries), SEEK_SET);
    unsigned char link[4];
    for (int i = 0; i < 4; ++i) link[i] = static_cast<unsigned char>(first >> (8 * i));
    const bool written = std::fwrite(link, 1, 4, raw) == 4;
    std::fclose(raw);
    if (!read || !written) throw std::runtime_error("cannot link the pages of " + path);
}
