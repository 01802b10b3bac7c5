#include "stored_rows.h"

#include <cstring>

#include "file_reads.h"

namespace bestfocus {

namespace {

// Each row's pixels, `step` bytes each (blue, green, red first), replaced by their gray values at
// the row's start: pixel x's gray lands at or before its bytes, so in place is safe.
void to_gray(unsigned char* rows, int count, std::size_t pitch, int width, int step) {
    for (int y = 0; y < count; ++y) {
        unsigned char* row = rows + y * pitch;
        const unsigned char* pixel = row;
        for (int x = 0; x < width; ++x, pixel += step) {
            row[x] = gray_of(pixel[0], pixel[1], pixel[2]);
        }
    }
}

void map_through(unsigned char* rows, int count, std::size_t pitch, int width,
                 const std::array<unsigned char, 256>& gray) {
    for (int y = 0; y < count; ++y) {
        unsigned char* row = rows + y * pitch;
        for (int x = 0; x < width; ++x) row[x] = gray[row[x]];
    }
}

void swap_bytes(unsigned char* rows, int count, std::size_t pitch, int width) {
    for (int y = 0; y < count; ++y) {
        unsigned char* row = rows + y * pitch;
        for (int x = 0; x < width; ++x) {
            std::uint16_t value;
            std::memcpy(&value, row + 2 * x, 2);
            value = static_cast<std::uint16_t>(value << 8 | value >> 8);
            std::memcpy(row + 2 * x, &value, 2);
        }
    }
}

}  // namespace

bool read_stored_rows(int fd, const StoredRows& stored, int first, int count,
                      unsigned char* rows) {
    const std::size_t pitch = stored.pitch;
    if (!read_exactly(fd, rows, pitch * static_cast<std::size_t>(count),
                      stored.offset + pitch * static_cast<std::size_t>(first))) {
        return false;
    }
    switch (stored.conversion) {
        case StoredRows::Conversion::none: break;
        case StoredRows::Conversion::palette:
            map_through(rows, count, pitch, stored.width, stored.palette);
            break;
        case StoredRows::Conversion::bgr: to_gray(rows, count, pitch, stored.width, 3); break;
        case StoredRows::Conversion::bgrx: to_gray(rows, count, pitch, stored.width, 4); break;
        case StoredRows::Conversion::byte_swap: swap_bytes(rows, count, pitch, stored.width); break;
    }
    return true;
}

RowBand stored_band(const StoredRows& stored, unsigned char* rows, int first, int count) {
    RowBand band;
    band.view.depth = stored.depth;
    band.view.width = stored.width;
    band.view.height = count;
    const std::ptrdiff_t pixel_bytes = stored.depth == PixelDepth::u8 ? 1 : 2;
    const auto stride = static_cast<std::ptrdiff_t>(stored.pitch) / pixel_bytes;
    if (stored.bottom_up) {
        // Stored rows first .. first + count - 1 are image rows height - 1 - first down to
        // height - first - count; the last one read is the band's top row.
        band.view.pixels = rows + static_cast<std::size_t>(count - 1) * stored.pitch;
        band.view.row_stride = -stride;
        band.first_row = stored.height - first - count;
    } else {
        band.view.pixels = rows;
        band.view.row_stride = stride;
        band.first_row = first;
    }
    return band;
}

std::optional<ImageView> read_all_stored_rows(int fd, const StoredRows& stored,
                                              ReadBuffer& buffer) {
    unsigned char* rows = buffer.for_file_bytes(
        stored.pitch * static_cast<std::size_t>(stored.height), stored.offset);
    if (!read_stored_rows(fd, stored, 0, stored.height, rows)) {
        return std::nullopt;
    }
    return stored_band(stored, rows, 0, stored.height).view;
}

}  // namespace bestfocus
