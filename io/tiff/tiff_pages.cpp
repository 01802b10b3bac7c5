#include "tiff_pages.h"

#include <tiffio.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>

#include "open_file.h"
#include "tiff_open.h"

namespace bestfocus {

TiffPageIndex index_tiff_pages(const OpenFile& file, const std::string& name) {
    TiffPageIndex index;
    const TiffHandle handle = open_tiff_at(file, name, 0);
    if (!handle) {
        index.damaged = true;
        return index;
    }
    for (;;) {
        const std::uint64_t directory = TIFFCurrentDirOffset(handle.get());
        index.directory_offsets.push_back(directory);
        // libtiff ends the chain, with a warning, at a link past the end of the file or back to a
        // directory seen before: the link the file stores tells a true end (0) from a break.
        if (TIFFLastDirectory(handle.get())) {
            index.damaged = stored_next_directory(handle.get(), directory) != std::uint64_t{0};
            return index;
        }
        // libtiff refuses a next directory whose entries do not fit the file.
        if (!TIFFReadDirectory(handle.get()) || index.directory_offsets.size() == INT_MAX) {
            index.damaged = true;
            return index;
        }
    }
}

namespace {

// OpenCV's limits on what it decodes (imgcodecs' CV_IO_MAX_IMAGE_WIDTH, _HEIGHT and _PIXELS):
// larger pages are left to OpenCV, which refuses them.
constexpr std::uint32_t kMaxSide = 1u << 20;
constexpr std::uint64_t kMaxPixels = 1ull << 30;
// OpenCV refuses a strip whose decoding buffer (4 bytes a pixel for 8-bit pages, read as RGBA)
// reaches about 1 GiB, unless it is the only strip; such pages are left to it as well.
constexpr std::uint64_t kMaxOpenCvStripBytes = (1ull << 30) * 95 / 100;

bool lossless_codec(std::uint16_t compression) {
    switch (compression) {
        case COMPRESSION_NONE:
        case COMPRESSION_LZW:
        case COMPRESSION_ADOBE_DEFLATE:
        case COMPRESSION_DEFLATE:
        case COMPRESSION_PACKBITS: return true;
        default: return false;
    }
}

// A page of the kind read here: gray, 8 or 16 bits, in strips or in tiles.
struct GrayLayout {
    std::uint16_t compression = COMPRESSION_NONE;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t bits = 8;
    bool tiled = false;
    // Strips: rows per strip, the page's width wide. Tiles: each tile's size.
    std::uint32_t block_width = 0;
    std::uint32_t block_height = 0;

    std::size_t row_bytes() const { return static_cast<std::size_t>(width) * (bits / 8); }
    std::size_t block_bytes() const {
        return static_cast<std::size_t>(block_width) * block_height * (bits / 8);
    }
};

// Strips: at most the page's rows in one. Tiles: no larger than the page, which OpenCV refuses.
bool blocks_fit(TIFF* page, GrayLayout* layout) {
    if (!layout->tiled) {
        std::uint32_t rows_per_strip = 0;
        if (!TIFFGetFieldDefaulted(page, TIFFTAG_ROWSPERSTRIP, &rows_per_strip)) return false;
        layout->block_width = layout->width;
        layout->block_height = std::min(std::max(rows_per_strip, 1u), layout->height);
        return true;
    }
    return TIFFGetField(page, TIFFTAG_TILEWIDTH, &layout->block_width) &&
           TIFFGetField(page, TIFFTAG_TILELENGTH, &layout->block_height) &&
           layout->block_width > 0 && layout->block_height > 0 &&
           layout->block_width <= layout->width && layout->block_height <= layout->height;
}

// The page's layout when it is of the kind read here.
std::optional<GrayLayout> gray_layout(TIFF* page) {
    std::uint16_t photometric = 0;
    std::uint16_t samples = 0;
    std::uint16_t format = 0;
    std::uint16_t orientation = 0;
    GrayLayout layout;
    layout.tiled = TIFFIsTiled(page) != 0;
    if (!TIFFGetField(page, TIFFTAG_PHOTOMETRIC, &photometric) ||
        photometric != PHOTOMETRIC_MINISBLACK ||
        !TIFFGetFieldDefaulted(page, TIFFTAG_SAMPLESPERPIXEL, &samples) || samples != 1 ||
        !TIFFGetField(page, TIFFTAG_BITSPERSAMPLE, &layout.bits) ||
        (layout.bits != 8 && layout.bits != 16) ||
        !TIFFGetFieldDefaulted(page, TIFFTAG_SAMPLEFORMAT, &format) ||
        format != SAMPLEFORMAT_UINT ||
        !TIFFGetFieldDefaulted(page, TIFFTAG_ORIENTATION, &orientation) ||
        orientation != ORIENTATION_TOPLEFT ||
        !TIFFGetFieldDefaulted(page, TIFFTAG_COMPRESSION, &layout.compression) ||
        !lossless_codec(layout.compression) ||
        !TIFFGetField(page, TIFFTAG_IMAGEWIDTH, &layout.width) ||
        !TIFFGetField(page, TIFFTAG_IMAGELENGTH, &layout.height)) {
        return std::nullopt;
    }
    if (layout.width == 0 || layout.height == 0 || layout.width > kMaxSide ||
        layout.height > kMaxSide ||
        static_cast<std::uint64_t>(layout.width) * layout.height > kMaxPixels ||
        !blocks_fit(page, &layout)) {
        return std::nullopt;
    }
    const std::uint64_t opencv_block_bytes = static_cast<std::uint64_t>(layout.block_height) *
                                             layout.block_width * (layout.bits == 8 ? 4 : 2);
    if (opencv_block_bytes >= kMaxOpenCvStripBytes &&
        (layout.tiled || layout.block_height != layout.height)) {
        return std::nullopt;
    }
    return layout;
}

// Every strip or tile lies inside the file, after its header, and holds at least the bytes its
// pixels take when they are stored uncompressed. libtiff takes a missing offset or count as 0 (the
// header would be read as pixels) and reads an uncompressed strip whole whatever its count says;
// counts it made up itself (byte_counts_made_up) are refused before this.
bool blocks_inside_file(TIFF* page, const GrayLayout& layout, std::uint32_t count) {
    const std::uint64_t file_size = TIFFGetSizeProc(page)(TIFFClientdata(page));
    const std::uint64_t header_size = TIFFIsBigTIFF(page) ? 16 : 8;
    for (std::uint32_t block = 0; block < count; ++block) {
        const std::uint64_t offset = TIFFGetStrileOffset(page, block);
        const std::uint64_t length = TIFFGetStrileByteCount(page, block);
        std::uint64_t needed = 1;
        if (layout.compression == COMPRESSION_NONE) {
            needed = layout.tiled ? layout.block_bytes()
                                  : std::min(layout.block_height,
                                             layout.height - block * layout.block_height) *
                                        std::uint64_t{layout.row_bytes()};
        }
        if (offset < header_size || offset > file_size || length < needed ||
            length > file_size - offset) {
            return false;
        }
    }
    return true;
}

// Uncompressed strips that lie back to back, each exactly as long as its rows and in the bit order
// of their bytes, are the page's rows as they lie in the file: read straight into place with pread
// from the file itself, as OpenCV reads it (libtiff would read each strip into its own buffer and
// copy it, and sees a header that may name another directory). Nothing when the strips lie
// otherwise, for libtiff to read (which reverses the bits of each byte for FillOrder 2).
std::optional<StoredRows> back_to_back_strips(TIFF* page, const GrayLayout& layout,
                                              std::uint32_t count) {
    std::uint64_t* offsets = nullptr;
    std::uint64_t* lengths = nullptr;
    std::uint16_t fill_order = FILLORDER_MSB2LSB;
    if (layout.compression != COMPRESSION_NONE ||
        !TIFFGetFieldDefaulted(page, TIFFTAG_FILLORDER, &fill_order) ||
        fill_order != FILLORDER_MSB2LSB || !TIFFGetField(page, TIFFTAG_STRIPOFFSETS, &offsets) ||
        !TIFFGetField(page, TIFFTAG_STRIPBYTECOUNTS, &lengths) || offsets == nullptr ||
        lengths == nullptr) {
        return std::nullopt;
    }
    for (std::uint32_t strip = 0; strip < count; ++strip) {
        const std::uint32_t rows =
            std::min(layout.block_height, layout.height - strip * layout.block_height);
        if (lengths[strip] != rows * layout.row_bytes() ||
            (strip > 0 && offsets[strip] != offsets[strip - 1] + lengths[strip - 1])) {
            return std::nullopt;
        }
    }
    StoredRows stored;
    stored.offset = offsets[0];
    stored.pitch = layout.row_bytes();
    stored.width = static_cast<int>(layout.width);
    stored.height = static_cast<int>(layout.height);
    stored.depth = layout.bits == 8 ? PixelDepth::u8 : PixelDepth::u16;
    if (layout.bits == 16 && TIFFIsByteSwapped(page)) {
        stored.conversion = StoredRows::Conversion::byte_swap;
    }
    return stored;
}

// Every strip decoded in place, each exactly as long as its rows; false when one is not.
bool read_strips(TIFF* page, const GrayLayout& layout, unsigned char* pixels) {
    const std::uint32_t count = (layout.height - 1) / layout.block_height + 1;
    for (std::uint32_t strip = 0; strip < count; ++strip) {
        const std::uint32_t first_row = strip * layout.block_height;
        const std::uint32_t rows = std::min(layout.block_height, layout.height - first_row);
        const auto bytes = static_cast<tmsize_t>(rows * layout.row_bytes());
        if (TIFFReadEncodedStrip(page, strip, pixels + first_row * layout.row_bytes(), bytes) !=
            bytes) {
            return false;
        }
    }
    return true;
}

// Every tile decoded whole into `tile` and its part inside the page copied into place.
bool read_tiles(TIFF* page, const GrayLayout& layout, unsigned char* pixels, unsigned char* tile) {
    const std::uint32_t across = (layout.width - 1) / layout.block_width + 1;
    const std::uint32_t down = (layout.height - 1) / layout.block_height + 1;
    if (TIFFNumberOfTiles(page) != across * down) return false;
    const std::size_t pixel_bytes = layout.bits / 8;
    const std::size_t tile_row_bytes = layout.block_width * pixel_bytes;
    const auto bytes = static_cast<tmsize_t>(layout.block_bytes());
    for (std::uint32_t y = 0; y < layout.height; y += layout.block_height) {
        for (std::uint32_t x = 0; x < layout.width; x += layout.block_width) {
            if (TIFFReadEncodedTile(page, TIFFComputeTile(page, x, y, 0, 0), tile, bytes) !=
                bytes) {
                return false;
            }
            const std::uint32_t rows = std::min(layout.block_height, layout.height - y);
            const std::size_t copied = std::min(layout.block_width, layout.width - x) * pixel_bytes;
            for (std::uint32_t row = 0; row < rows; ++row) {
                std::memcpy(pixels + (y + row) * layout.row_bytes() + x * pixel_bytes,
                            tile + row * tile_row_bytes, copied);
            }
        }
    }
    return true;
}

}  // namespace

OpenedTiffPage open_tiff_page(const OpenFile& file, const std::string& name,
                              std::uint64_t directory_offset) {
    OpenedTiffPage page{open_tiff_at(file, name, directory_offset), std::nullopt,
                        OwnRead::unreadable()};
    TIFF* const handle = page.handle.get();
    if (handle == nullptr) {
        return page;
    }
    page.header = tiff_page_header(handle);
    const std::optional<GrayLayout> layout = gray_layout(handle);
    if (!layout) {
        page.found = OwnRead::not_ours();
        return page;
    }
    const std::uint32_t blocks =
        layout->tiled ? TIFFNumberOfTiles(handle) : (layout->height - 1) / layout->block_height + 1;
    if ((!layout->tiled && TIFFNumberOfStrips(handle) != blocks) || byte_counts_made_up(handle) ||
        !blocks_inside_file(handle, *layout, blocks)) {
        return page;
    }
    const std::optional<StoredRows> stored =
        layout->tiled ? std::nullopt : back_to_back_strips(handle, *layout, blocks);
    page.found = stored ? OwnRead::rows_in_file(*stored) : OwnRead::decoded_when_asked();
    return page;
}

OwnRead decode_tiff_page(const OpenedTiffPage& page, ReadBuffer& buffer) {
    TIFF* const handle = page.handle.get();
    const GrayLayout layout = *gray_layout(handle);  // found to be ours
    const std::size_t image_bytes = layout.row_bytes() * layout.height;
    unsigned char* pixels =
        buffer.at_least(image_bytes + (layout.tiled ? layout.block_bytes() : 0));
    if (layout.tiled ? !read_tiles(handle, layout, pixels, pixels + image_bytes)
                     : !read_strips(handle, layout, pixels)) {
        return OwnRead::unreadable();
    }
    ImageView view;
    view.pixels = pixels;
    view.depth = layout.bits == 8 ? PixelDepth::u8 : PixelDepth::u16;
    view.width = static_cast<int>(layout.width);
    view.height = static_cast<int>(layout.height);
    view.row_stride = static_cast<std::ptrdiff_t>(layout.width);
    return OwnRead::read(view);
}

OwnRead read_gray_tiff_page(const std::string& file, std::uint64_t directory_offset,
                            ReadBuffer& buffer) {
    const OpenFile opened(file);
    const OpenedTiffPage page = open_tiff_page(opened, file, directory_offset);
    if (page.found.outcome == OwnRead::Outcome::to_decode) {
        return decode_tiff_page(page, buffer);
    }
    return with_rows_read(page.found, opened.fd(), buffer);
}

}  // namespace bestfocus
