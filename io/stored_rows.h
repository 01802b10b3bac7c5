// An image's rows as they lie in a file, uncompressed and one after another (a BMP's, a TIFF's
// strips back to back): read with pread a band of rows at a time into the caller's memory and
// turned into gray there, so that an image can be measured as it is read.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "image_view.h"
#include "read_buffer.h"

namespace bestfocus {

struct StoredRows {
    enum class Conversion {
        none,       // the stored pixels are the gray values
        palette,    // 8-bit indices into `palette`
        bgr,        // 3 bytes a pixel, blue first, turned gray as OpenCV turns them
        bgrx,       // 4 bytes a pixel, the same
        byte_swap,  // 16-bit pixels stored in the other byte order
    };

    std::uint64_t offset = 0;  // of the first stored row
    std::size_t pitch = 0;     // bytes from one stored row to the next
    int width = 0;
    int height = 0;
    PixelDepth depth = PixelDepth::u8;
    bool bottom_up = false;  // the first stored row is the image's bottom row
    Conversion conversion = Conversion::none;
    std::array<unsigned char, 256> palette{};  // the gray value of each index
};

// OpenCV's colour to gray for its decoders (icvCvt_BGR2Gray_8u_C3C1R): weights 0.299, 0.587 and
// 0.114 in 14-bit fixed point, rounded.
inline unsigned char gray_of(unsigned blue, unsigned green, unsigned red) {
    constexpr unsigned kShift = 14;
    constexpr unsigned kRed = 4899;                             // 0.299 * 2^14, rounded
    constexpr unsigned kGreen = 9617;                           // 0.587 * 2^14, rounded
    constexpr unsigned kBlue = (1u << kShift) - kRed - kGreen;  // 1868
    return static_cast<unsigned char>(
        (blue * kBlue + green * kGreen + red * kRed + (1u << (kShift - 1))) >> kShift);
}

// Reads `count` stored rows, from stored row `first` on, into `rows` (one every `pitch` bytes)
// and turns them gray there: each row's gray pixels begin where the row does. False when the file
// ends before them or cannot be read.
bool read_stored_rows(int fd, const StoredRows& stored, int first, int count,
                      unsigned char* rows);

// The image rows that `count` stored rows read at `rows` from stored row `first` on hold: their
// view, top row first through its stride (negative for a bottom-up image), and the image row of
// its top row.
struct RowBand {
    ImageView view;
    int first_row = 0;
};
RowBand stored_band(const StoredRows& stored, unsigned char* rows, int first, int count);

// Every row read into the buffer and turned gray there: the whole image's view, or nothing when
// the file ends before its rows or cannot be read.
std::optional<ImageView> read_all_stored_rows(int fd, const StoredRows& stored,
                                              ReadBuffer& buffer);

}  // namespace bestfocus
