#include "bmp_rle_check.h"

namespace bestfocus {

bool rle_data_fits_image(const unsigned char* data, std::size_t size, long long width,
                         long long height, int bits_per_pixel) {
    // The next pixel to be written: column x of row y, counting rows in stored order.
    long long x = 0;
    long long y = 0;
    std::size_t at = 0;
    while (size - at >= 2) {
        const int count = data[at];
        const int code = data[at + 1];
        at += 2;
        if (count > 0) {  // count pixels of one value
            if (y >= height || x + count > width) {
                return false;
            }
            x += count;
            continue;
        }
        switch (code) {
            case 0:  // end of line
                x = 0;
                if (++y > height) {
                    return false;
                }
                break;
            case 1:  // end of bitmap
                return true;
            case 2:  // delta: move right and down by the next two bytes
                if (size - at < 2) {
                    return false;
                }
                x += data[at];
                y += data[at + 1];
                at += 2;
                if (x > width || y >= height) {
                    return false;
                }
                break;
            default: {  // literal run of `code` pixels, padded to an even number of bytes
                const std::size_t bytes =
                    static_cast<std::size_t>(bits_per_pixel == 8 ? code : (code + 1) / 2);
                const std::size_t padded = (bytes + 1) / 2 * 2;
                if (y >= height || x + code > width || size - at < padded) {
                    return false;
                }
                x += code;
                at += padded;
            }
        }
    }
    // Decoders stop after the last row's end of line even without an end-of-bitmap code.
    return y >= height;
}

}  // namespace bestfocus
