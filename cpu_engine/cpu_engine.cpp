#include "cpu_engine.h"

#include <cstdint>
#include <limits>

#include "row_bands.h"
#include "rows_16bit.h"
#include "rows_8bit.h"
#include "vollath_f4_rows.h"
#include "window_anchors.h"

// Bounds. The tool accepts images with width * height <= INT_MAX < 2^31, so a measure has fewer
// than 2^31 terms, and no 8-bit term exceeds 2040^2 = 4161600 < 2^22 in magnitude (MDCT's; the
// others are smaller): every total lies below 2^31 * 2^22 = 2^53. It fits a 64-bit integer with
// room to spare, and a double holds it exactly, so the one rounding of the value is the division
// by 255^2 at the end.
//
// 16-bit pixels: terms reach (8 * 65535)^2 < 2^39, so a total lies below 2^70 and is added in 128
// bits (pixel_traits.h). Its conversion to double is one rounding, the division by 65535^2 a
// second: an image holding an 8-bit image times 257 has exactly 257^2 times the 8-bit total, and
// its value differs from the 8-bit one by at most those two roundings.

namespace {

bool valid_image(const void* pixels, int width, int height, std::ptrdiff_t row_stride) {
    return pixels != nullptr && width > 0 && height > 0 && row_stride >= width;
}

// Where a measure's terms lie: `rows` rows of `terms_per_row` terms each.
struct TermRows {
    int rows;
    int terms_per_row;
};

// The measure's exact sum over its terms, scaled to normalised pixels: pixels are taken as value /
// kMaxPixel, so every term is 1 / kMaxPixel^2 of its integer form.
template <class Pixel, class RowSums>
double measure_exactly(RowSums row_sums, TermRows terms, const Pixel* pixels, int width, int height,
                       std::ptrdiff_t row_stride, int threads) {
    if (!valid_image(pixels, width, height, row_stride)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    const auto total = sum_over_row_bands(
        terms.rows, terms.terms_per_row, threads, [&](int first_row, int end_row) {
            return row_sums(pixels, row_stride, width, height, first_row, end_row);
        });
    constexpr double kMaxPixel = static_cast<double>(PixelTraits<Pixel>::kMaxPixel);
    return static_cast<double>(total) / (kMaxPixel * kMaxPixel);
}

// Window measures: one term per anchor; no window column means no term, whatever the rows.
TermRows window_terms(int anchors_x, int anchors_y) {
    return {anchors_x > 0 ? anchors_y : 0, anchors_x};
}

}  // namespace

double cpu_vollath_f4(const unsigned char* pixels, int width, int height, std::ptrdiff_t row_stride,
                      int threads) {
    return measure_exactly(vollath_f4_rows_8bit, {vollath_f4_term_rows(height), width}, pixels,
                           width, height, row_stride, threads);
}

double cpu_mdct(const unsigned char* pixels, int width, int height, std::ptrdiff_t row_stride,
                int threads) {
    const TermRows terms = window_terms(mdct_anchors(width), mdct_anchors(height));
    return measure_exactly(mdct_rows_8bit, terms, pixels, width, height, row_stride, threads);
}

double cpu_tenengrad(const unsigned char* pixels, int width, int height, std::ptrdiff_t row_stride,
                     int threads) {
    const TermRows terms =
        window_terms(three_by_three_anchors(width), three_by_three_anchors(height));
    return measure_exactly(tenengrad_rows_8bit, terms, pixels, width, height, row_stride, threads);
}

double cpu_laplacian(const unsigned char* pixels, int width, int height, std::ptrdiff_t row_stride,
                     int threads) {
    const TermRows terms =
        window_terms(three_by_three_anchors(width), three_by_three_anchors(height));
    return measure_exactly(laplacian_rows_8bit, terms, pixels, width, height, row_stride, threads);
}

double cpu_vollath_f4_16(const std::uint16_t* pixels, int width, int height,
                         std::ptrdiff_t row_stride, int threads) {
    return measure_exactly(vollath_f4_rows_16bit, {vollath_f4_term_rows(height), width}, pixels,
                           width, height, row_stride, threads);
}

double cpu_mdct_16(const std::uint16_t* pixels, int width, int height, std::ptrdiff_t row_stride,
                   int threads) {
    const TermRows terms = window_terms(mdct_anchors(width), mdct_anchors(height));
    return measure_exactly(mdct_rows_16bit, terms, pixels, width, height, row_stride, threads);
}

double cpu_tenengrad_16(const std::uint16_t* pixels, int width, int height,
                        std::ptrdiff_t row_stride, int threads) {
    const TermRows terms =
        window_terms(three_by_three_anchors(width), three_by_three_anchors(height));
    return measure_exactly(tenengrad_rows_16bit, terms, pixels, width, height, row_stride, threads);
}

double cpu_laplacian_16(const std::uint16_t* pixels, int width, int height,
                        std::ptrdiff_t row_stride, int threads) {
    const TermRows terms =
        window_terms(three_by_three_anchors(width), three_by_three_anchors(height));
    return measure_exactly(laplacian_rows_16bit, terms, pixels, width, height, row_stride, threads);
}
