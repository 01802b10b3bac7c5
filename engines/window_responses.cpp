#include "window_responses.h"

#include <algorithm>
#include <cstdint>

#include "pixel_traits.h"

namespace bestfocus {

namespace {

// The widest window a measure's term reads, in columns.
constexpr int kWidestTerm = 64;

}  // namespace

WindowResponses::WindowResponses(int code, int width, int height, PixelDepth depth, int radius)
    : sums_(find_measure(code)->row_sums()),
      width_(width),
      height_(height),
      depth_(depth),
      radius_(radius),
      max_pixel_(depth == PixelDepth::u8 ? kMaxPixelOf<std::uint8_t> : kMaxPixelOf<std::uint16_t>) {
    const TermRows terms = sums_.terms(width, height);
    // A term's footprint: the narrowest and the lowest image with a term.
    while (window_width_ < kWidestTerm && sums_.terms(window_width_, height).terms_per_row < 1) {
        ++window_width_;
    }
    int window_height = 1;
    while (window_height < kWidestTerm && sums_.terms(width, window_height).rows < 1) {
        ++window_height;
    }
    if (terms.terms_per_row > 0 && terms.rows > 0) {
        anchors_x_ = terms.terms_per_row;
        anchors_y_ = terms.rows;
    }
    centre_x_ = (window_width_ - 1) / 2;
    centre_y_ = (window_height - 1) / 2;
    sums_used_ = sums_.pixel_power != 0 ? 1 : ExactSums::kCount;
    row_terms_.resize(static_cast<std::size_t>(anchors_x_) * (2 * radius_ + 1));
    columns_.resize(static_cast<std::size_t>(anchors_x_));
}

ExactSums WindowResponses::term_at(const ImageView& image, int x, int y) const {
    if (depth_ == PixelDepth::u8) {
        return sums_.rows8(static_cast<const std::uint8_t*>(image.pixels) + x, image.row_stride,
                           window_width_, height_, y, y + 1);
    }
    return sums_.rows16(static_cast<const std::uint16_t*>(image.pixels) + x, image.row_stride,
                        window_width_, height_, y, y + 1);
}

// Adds (sign 1) the terms of anchor row y to the columns' sums, keeping them in the ring of the
// window's rows, or takes them away again (sign -1).
void WindowResponses::add_term_row(const ImageView& image, int y, int sign) {
    ExactSums* row = &row_terms_[static_cast<std::size_t>(y % (2 * radius_ + 1)) * anchors_x_];
    for (int x = 0; x < anchors_x_; ++x) {
        ExactSums& column = columns_[static_cast<std::size_t>(x)];
        if (sign > 0) {
            row[x] = term_at(image, x, y);
            for (int s = 0; s < sums_used_; ++s) column.values[s] += row[x].values[s];
        } else {
            for (int s = 0; s < sums_used_; ++s) column.values[s] -= row[x].values[s];
        }
    }
}

// In long double, as every engine's responses are: the window's exact sums are too many to give
// each its correctly rounded quotient (exact_score) at every pixel of every image.
float WindowResponses::response(const ExactSums& sums, long long count) const {
    if (count == 0) return 0.0f;
    if (sums_used_ == 1) {
        return static_cast<float>(static_cast<long double>(sums.values[0]) / count);
    }
    const ExactRatio ratio = sums_.score(sums, count, max_pixel_);
    if (!ratio.numerator.fits_128_bits()) {
        return static_cast<float>(exact_score(ratio));
    }
    return static_cast<float>(static_cast<long double>(ratio.numerator.to_128_bits()) /
                              static_cast<long double>(ratio.denominator));
}

void WindowResponses::respond(const ImageView& image, float* responses) {
    std::fill(columns_.begin(), columns_.end(), ExactSums{});
    // The anchors whose centres lie within the radius of pixel p along a side of n anchors.
    const auto first = [&](int p, int centre) { return std::max(0, p - radius_ - centre); };
    const auto last = [&](int p, int centre, int n) {
        return std::min(n - 1, p + radius_ - centre);
    };
    int rows_first = 0;
    int rows_end = 0;  // anchor rows in the columns' sums: rows_first <= y < rows_end
    for (int py = 0; py < height_; ++py) {
        float* out = responses + static_cast<std::size_t>(py) * width_;
        if (anchors_x_ == 0) {
            std::fill(out, out + width_, 0.0f);
            continue;
        }
        const int want_first = first(py, centre_y_);
        const int want_end = last(py, centre_y_, anchors_y_) + 1;
        for (; rows_first < std::min(want_first, rows_end); ++rows_first) {
            add_term_row(image, rows_first, -1);
        }
        rows_first = std::max(rows_first, want_first);
        for (rows_end = std::max(rows_end, rows_first); rows_end < want_end; ++rows_end) {
            add_term_row(image, rows_end, 1);
        }
        const long long rows = std::max(0, rows_end - rows_first);
        ExactSums run;
        int columns_first = 0;
        int columns_end = 0;
        for (int px = 0; px < width_; ++px) {
            const int want_left = first(px, centre_x_);
            const int want_right = last(px, centre_x_, anchors_x_) + 1;
            for (; columns_first < std::min(want_left, columns_end); ++columns_first) {
                for (int s = 0; s < sums_used_; ++s) {
                    run.values[s] -= columns_[static_cast<std::size_t>(columns_first)].values[s];
                }
            }
            columns_first = std::max(columns_first, want_left);
            for (columns_end = std::max(columns_end, columns_first); columns_end < want_right;
                 ++columns_end) {
                for (int s = 0; s < sums_used_; ++s) {
                    run.values[s] += columns_[static_cast<std::size_t>(columns_end)].values[s];
                }
            }
            out[px] = response(run, rows * std::max(0, columns_end - columns_first));
        }
    }
}

}  // namespace bestfocus
