#include "cpu_engine.h"

#include <cstdint>
#include <limits>

#include "row_bands.h"
#include "rows_8bit.h"
#include "vollath_f4_rows.h"
#include "window_anchors.h"

// Bounds. The tool accepts images with width * height <= INT_MAX < 2^31, so a measure has fewer
// than 2^31 terms, and no 8-bit term exceeds 2040^2 = 4161600 < 2^22 in magnitude (MDCT's; the
// others are smaller): every total lies below 2^31 * 2^22 = 2^53. It fits a 64-bit integer with
// room to spare, and a double holds it exactly, so the one rounding of the value is the division
// by 255^2 at the end.

namespace {

// The 8-bit pixels taken as byte / 255.0 make every term 1 / 255^2 of its integer form.
constexpr double kByteStepsSquared = 255.0 * 255.0;

bool valid_image(const unsigned char* pixels, int width, int height, std::ptrdiff_t row_stride) {
    return pixels != nullptr && width > 0 && height > 0 && row_stride >= width;
}

// Where a measure's terms lie: `rows` rows of `terms_per_row` terms each.
struct TermRows {
    int rows;
    int terms_per_row;
};

// The measure's exact sum over its terms, scaled to normalised pixels.
double measure_8bit(RowSums8 row_sums, TermRows terms, const unsigned char* pixels, int width,
                    int height, std::ptrdiff_t row_stride, int threads) {
    if (!valid_image(pixels, width, height, row_stride)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    const long long total = sum_over_row_bands(
        terms.rows, terms.terms_per_row, threads, [&](int first_row, int end_row) {
            return row_sums(pixels, row_stride, width, height, first_row, end_row);
        });
    return static_cast<double>(total) / kByteStepsSquared;
}

// Window measures: one term per anchor; no window column means no term, whatever the rows.
TermRows window_terms(int anchors_x, int anchors_y) {
    return {anchors_x > 0 ? anchors_y : 0, anchors_x};
}

}  // namespace

double cpu_vollath_f4(const unsigned char* pixels, int width, int height, std::ptrdiff_t row_stride,
                      int threads) {
    return measure_8bit(vollath_f4_rows_8bit, {vollath_f4_term_rows(height), width}, pixels, width,
                        height, row_stride, threads);
}

double cpu_mdct(const unsigned char* pixels, int width, int height, std::ptrdiff_t row_stride,
                int threads) {
    const TermRows terms = window_terms(mdct_anchors(width), mdct_anchors(height));
    return measure_8bit(mdct_rows_8bit, terms, pixels, width, height, row_stride, threads);
}

double cpu_tenengrad(const unsigned char* pixels, int width, int height, std::ptrdiff_t row_stride,
                     int threads) {
    const TermRows terms =
        window_terms(three_by_three_anchors(width), three_by_three_anchors(height));
    return measure_8bit(tenengrad_rows_8bit, terms, pixels, width, height, row_stride, threads);
}

double cpu_laplacian(const unsigned char* pixels, int width, int height, std::ptrdiff_t row_stride,
                     int threads) {
    const TermRows terms =
        window_terms(three_by_three_anchors(width), three_by_three_anchors(height));
    return measure_8bit(laplacian_rows_8bit, terms, pixels, width, height, row_stride, threads);
}
