#include "window_responses.h"

#include <algorithm>
#include <cstdint>

#include "pixel_traits.h"

namespace bestfocus {

namespace {

// The widest window a measure's term reads, in columns.
constexpr int kWidestTerm = 64;

// Integers up to 2^53 are doubles exactly.
constexpr long long kExactInDouble = 1LL << 53;

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
    // A window holds at most (2 radius + 1)^2 terms: in 64 bits (and exactly in a double) when so
    // many of the largest term stay below 2^53.
    const long long window_terms = static_cast<long long>(2 * radius_ + 1) * (2 * radius_ + 1);
    const long long largest = sums_.largest_term ? sums_.largest_term(max_pixel_) : 0;
    small_sums_ =
        sums_.terms8 != nullptr && largest > 0 && window_terms <= kExactInDouble / largest;
    const std::size_t ring = static_cast<std::size_t>(anchors_x_) * (2 * radius_ + 1);
    if (small_sums_) {
        small_rows_.resize(ring);
        small_columns_.resize(static_cast<std::size_t>(anchors_x_));
    } else {
        row_terms_.resize(ring);
        columns_.resize(static_cast<std::size_t>(anchors_x_));
    }
}

ExactSums WindowResponses::term_at(const ImageView& image, int x, int y) const {
    if (depth_ == PixelDepth::u8) {
        return sums_.rows8(static_cast<const std::uint8_t*>(image.pixels) + x, image.row_stride,
                           window_width_, height_, y, y + 1);
    }
    return sums_.rows16(static_cast<const std::uint16_t*>(image.pixels) + x, image.row_stride,
                        window_width_, height_, y, y + 1);
}

void WindowResponses::load_terms(const ImageView& image, int y, ExactSums* row) const {
    for (int x = 0; x < anchors_x_; ++x) row[x] = term_at(image, x, y);
}

void WindowResponses::load_terms(const ImageView& image, int y, long long* row) const {
    if (depth_ == PixelDepth::u8) {
        sums_.terms8(static_cast<const std::uint8_t*>(image.pixels), image.row_stride,
                     window_width_, height_, y, anchors_x_, row);
    } else {
        sums_.terms16(static_cast<const std::uint16_t*>(image.pixels), image.row_stride,
                      window_width_, height_, y, anchors_x_, row);
    }
}

void WindowResponses::add(ExactSums& to, const ExactSums& sums) const {
    for (int s = 0; s < sums_used_; ++s) to.values[s] += sums.values[s];
}

void WindowResponses::take(ExactSums& from, const ExactSums& sums) const {
    for (int s = 0; s < sums_used_; ++s) from.values[s] -= sums.values[s];
}

// In double: the window's exact sums are too many to give each its correctly rounded quotient
// (exact_score) at every pixel of every image; the float the response is kept in is what counts.
float WindowResponses::response(const ExactSums& sums, long long count) const {
    if (count == 0) return 0.0f;
    if (sums_used_ == 1) {
        return static_cast<float>(static_cast<double>(sums.values[0]) / count);
    }
    const ExactRatio ratio = sums_.score(sums, count, max_pixel_);
    if (!ratio.numerator.fits_128_bits()) {
        return static_cast<float>(exact_score(ratio));
    }
    return static_cast<float>(static_cast<double>(ratio.numerator.to_128_bits()) /
                              static_cast<double>(ratio.denominator));
}

// A sum of at most (2 radius + 1)^2 terms, each exactly a double below 2^53 in magnitude (the
// window's bound, checked in the constructor), over their count.
float WindowResponses::response(long long sum, long long count) const {
    return count == 0 ? 0.0f : static_cast<float>(static_cast<double>(sum) / count);
}

void WindowResponses::respond(const ImageView& image, float* responses) {
    if (small_sums_) {
        slide(image, responses, small_rows_, small_columns_);
    } else {
        slide(image, responses, row_terms_, columns_);
    }
}

// Each anchor column's sum over the window's term rows is kept as the rows stream in (each term
// row computed once, kept in a ring of the window's rows until it leaves), and each pixel's window
// sum runs along its row of columns.
template <class Sums>
void WindowResponses::slide(const ImageView& image, float* responses, std::vector<Sums>& ring,
                            std::vector<Sums>& columns) {
    std::fill(columns.begin(), columns.end(), Sums{});
    // The anchors whose centres lie within the radius of pixel p along a side of n anchors.
    const auto first = [&](int p, int centre) { return std::max(0, p - radius_ - centre); };
    const auto last = [&](int p, int centre, int n) {
        return std::min(n - 1, p + radius_ - centre);
    };
    const auto row_of = [&](int y) {
        return &ring[static_cast<std::size_t>(y % (2 * radius_ + 1)) * anchors_x_];
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
            const Sums* row = row_of(rows_first);
            for (int x = 0; x < anchors_x_; ++x) take(columns[static_cast<std::size_t>(x)], row[x]);
        }
        rows_first = std::max(rows_first, want_first);
        for (rows_end = std::max(rows_end, rows_first); rows_end < want_end; ++rows_end) {
            Sums* row = row_of(rows_end);
            load_terms(image, rows_end, row);
            for (int x = 0; x < anchors_x_; ++x) add(columns[static_cast<std::size_t>(x)], row[x]);
        }
        const long long rows = std::max(0, rows_end - rows_first);
        Sums run{};
        int columns_first = 0;
        int columns_end = 0;
        for (int px = 0; px < width_; ++px) {
            const int want_left = first(px, centre_x_);
            const int want_right = last(px, centre_x_, anchors_x_) + 1;
            for (; columns_first < std::min(want_left, columns_end); ++columns_first) {
                take(run, columns[static_cast<std::size_t>(columns_first)]);
            }
            columns_first = std::max(columns_first, want_left);
            for (columns_end = std::max(columns_end, columns_first); columns_end < want_right;
                 ++columns_end) {
                add(run, columns[static_cast<std::size_t>(columns_end)]);
            }
            out[px] = response(run, rows * std::max(0, columns_end - columns_first));
        }
    }
}

}  // namespace bestfocus
