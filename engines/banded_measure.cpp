#include "banded_measure.h"

#include <algorithm>
#include <cassert>
#include <cstdint>

namespace bestfocus {

namespace {

template <class Pixel>
ExactSums sum_rows(SumsRows<Pixel> row_sums, const ImageView& band, int first, int end) {
    return row_sums(static_cast<const Pixel*>(band.pixels), band.row_stride, band.width,
                    band.height, first, end);
}

}  // namespace

BandedMeasure::BandedMeasure(const std::vector<int>& methods, int width, int height,
                             PixelDepth depth)
    : pixel_count_(static_cast<long long>(width) * height), height_(height), depth_(depth) {
    for (const int code : methods) {
        MethodSums method;
        method.sums = find_measure(code)->row_sums();
        method.terms = method.sums.terms(width, height);
        overlap_rows_ = std::max(overlap_rows_, method.terms.rows_below);
        methods_.push_back(method);
    }
}

void BandedMeasure::add(const ImageView& band, int first_row) {
    const int end_row = first_row + band.height;
    for (MethodSums& method : methods_) {
        // Term rows whose image rows the band holds all of: none past the last row, which the
        // last term rows read fewer of.
        const int first = std::max({first_row, 0, first_term_row_});
        const int end =
            std::min({method.terms.rows,
                      end_row == height_ ? method.terms.rows : end_row - method.terms.rows_below,
                      end_term_row_});
        if (first >= end) {
            continue;
        }
        const bool none_done = method.first_done == method.end_done;
        // The overlap keeps the rows added so far and these next to each other.
        assert(none_done || (first <= method.end_done && end >= method.first_done));
        // Before the rows done (bands going up) and after them (bands going down); a row sum's
        // row counts from the band's top row, where the band's rows begin.
        const int below_end = none_done ? end : std::min(end, method.first_done);
        const int above_first = none_done ? end : std::max(first, method.end_done);
        ExactSums added;
        if (depth_ == PixelDepth::u8) {
            added += sum_rows(method.sums.rows8, band, first - first_row, below_end - first_row);
            added += sum_rows(method.sums.rows8, band, above_first - first_row, end - first_row);
        } else {
            added += sum_rows(method.sums.rows16, band, first - first_row, below_end - first_row);
            added += sum_rows(method.sums.rows16, band, above_first - first_row, end - first_row);
        }
        method.total += added;
        method.first_done = none_done ? first : std::min(first, method.first_done);
        method.end_done = none_done ? end : std::max(end, method.end_done);
    }
}

void BandedMeasure::add_totals(const BandedMeasure& part) {
    for (std::size_t i = 0; i < methods_.size(); ++i) {
        methods_[i].total += part.methods_[i].total;
    }
}

Measurement BandedMeasure::result() const {
    const long long max_pixel =
        depth_ == PixelDepth::u8 ? kMaxPixelOf<std::uint8_t> : kMaxPixelOf<std::uint16_t>;
    Measurement measurement;
    for (const MethodSums& method : methods_) {
        measurement.values.push_back(
            exact_score(method.sums.score(method.total, pixel_count_, max_pixel)));
    }
    return measurement;
}

}  // namespace bestfocus
