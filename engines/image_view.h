// A grayscale image, or a region of one, as the engines measure it.
#pragma once

#include <cstddef>

namespace bestfocus {

enum class PixelDepth { u8, u16 };

struct ImageView {                 // a grayscale image or a region of one, in memory
    const void* pixels = nullptr;  // the top-left pixel
    PixelDepth depth = PixelDepth::u8;
    int width = 0;
    int height = 0;
    // Pixels from one row to the next, at least the width either way: negative when the rows lie
    // bottom row first in memory (a bottom-up BMP read where it lies).
    std::ptrdiff_t row_stride = 0;
};

}  // namespace bestfocus
