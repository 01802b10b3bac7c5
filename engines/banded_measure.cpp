#include "banded_measure.h"

#include <algorithm>
#include <cassert>
#include <cstdint>

namespace bestfocus {

BandedMeasure::BandedMeasure(const std::vector<int>& methods, int width, int height,
                             PixelDepth depth)
    : width_(width), height_(height), depth_(depth) {
    for (const int code : methods) {
        MethodSums method;
        method.sums = find_measure(code)->row_sums();
        method.terms = method.sums.terms(width, height);
        overlap_rows_ = std::max(overlap_rows_, method.terms.rows_below);
        methods_.push_back(method);
    }
}

void BandedMeasure::measure_tiles(const TileEdges& edges) {
    tiles_ = edges;
    for (MethodSums& method : methods_) {
        for (std::size_t r = 0; r + 1 < edges.rows.size(); ++r) {
            for (std::size_t c = 0; c + 1 < edges.columns.size(); ++c) {
                method.tile_terms.push_back(method.sums.terms(
                    edges.columns[c + 1] - edges.columns[c], edges.rows[r + 1] - edges.rows[r]));
                method.tile_totals.emplace_back();
            }
        }
    }
}

void BandedMeasure::add(const ImageView& band, int first_row) {
    const int end_row = first_row + band.height;
    for (MethodSums& method : methods_) {
        // Rows whose terms read only image rows the band holds: none past the last row, which the
        // last term rows read fewer of. A tile's terms read no more rows below than the image's.
        const int first = std::max({first_row, 0, first_term_row_});
        const int end =
            std::min({height_, end_row == height_ ? height_ : end_row - method.terms.rows_below,
                      end_term_row_});
        if (first >= end) {
            continue;
        }
        const bool none_done = method.first_done == method.end_done;
        // The overlap keeps the rows added so far and these next to each other.
        assert(none_done || (first <= method.end_done && end >= method.first_done));
        // Before the rows done (bands going up) and after them (bands going down).
        const int below_end = none_done ? end : std::min(end, method.first_done);
        const int above_first = none_done ? end : std::max(first, method.end_done);
        add_rows(method, band, first_row, first, below_end);
        add_rows(method, band, first_row, above_first, end);
        method.first_done = none_done ? first : std::min(first, method.first_done);
        method.end_done = none_done ? end : std::max(end, method.end_done);
    }
}

// A row's terms are anchored at each column but the last few, as many whatever the width (the
// window's width less one; none for a window one column wide), and a row's term reads no more than
// `rows_below` rows below it. So a term row of a tile that reads none of the tile's bottom
// `rows_below` rows holds the terms of the image's row anchored in the tile's columns but its last
// few. The image's terms anchored in all of the tile's columns are those of a region as many
// columns wider, and the tile's are those less the terms anchored in its last few columns, which
// reach across the seam: those of a strip twice as wide that ends as far past the seam. Adding the
// wider region rather than the tile's and the strip's keeps a tile's anchors as many as its
// columns, which the vectorised loops take without a remainder when the tiles are as wide as a
// multiple of their vectors. The image's other term rows, which read rows of two tiles, and a
// tile's own last ones, which may stop at its bottom, are added on their own: a few rows per row
// of tiles.
void BandedMeasure::add_rows(MethodSums& method, const ImageView& band, int band_row, int first,
                             int end) const {
    if (first >= end) {
        return;
    }
    if (tiles_.rows.empty()) {
        method.total += sums_of(method, band, 0, width_, band.height, first - band_row,
                                std::min(end, method.terms.rows) - band_row);
        return;
    }
    const std::size_t columns = tiles_.columns.size() - 1;
    for (std::size_t r = 0; r + 1 < tiles_.rows.size(); ++r) {
        const int top = tiles_.rows[r];
        const int bottom = tiles_.rows[r + 1];
        if (bottom <= first || top >= end) {
            continue;
        }
        // The band's rows of this row of tiles: a tile is a region of the band this high.
        const int tile_height = std::min(bottom, band_row + band.height) - band_row;
        const int tile_rows = top + method.tile_terms[r * columns].rows;
        const int shared_end =
            std::min({bottom - method.terms.rows_below, tile_rows, method.terms.rows});
        const int shared_first = std::max(first, top) - band_row;
        const int shared_last = std::min(end, shared_end) - band_row;
        const int own_first = std::max({first, top, shared_end}) - band_row;
        for (std::size_t c = 0; c < columns; ++c) {
            const int x = tiles_.columns[c];
            const int width = tiles_.columns[c + 1] - x;
            ExactSums& tile = method.tile_totals[r * columns + c];
            // The tile's last columns, where no term of the tile is anchored.
            const int unanchored = width - method.tile_terms[r * columns + c].terms_per_row;
            const bool seam = c + 1 < columns && unanchored > 0;
            const ExactSums anchored = sums_of(method, band, x, seam ? width + unanchored : width,
                                               tile_height, shared_first, shared_last);
            method.total += anchored;
            tile += anchored;
            if (seam) {
                assert(method.sums.terms(2 * unanchored, height_).terms_per_row == unanchored);
                tile -= sums_of(method, band, x + width - unanchored, 2 * unanchored, tile_height,
                                shared_first, shared_last);
            }
            tile += sums_of(method, band, x, width, tile_height, own_first,
                            std::min(end, tile_rows) - band_row);
        }
        method.total += sums_of(method, band, 0, width_, band.height, own_first,
                                std::min({end, bottom, method.terms.rows}) - band_row);
    }
}

ExactSums BandedMeasure::sums_of(const MethodSums& method, const ImageView& band, int x, int width,
                                 int height, int first, int end) const {
    if (first >= end) {
        return {};
    }
    if (depth_ == PixelDepth::u8) {
        return method.sums.rows8(static_cast<const std::uint8_t*>(band.pixels) + x, band.row_stride,
                                 width, height, first, end);
    }
    return method.sums.rows16(static_cast<const std::uint16_t*>(band.pixels) + x, band.row_stride,
                              width, height, first, end);
}

void BandedMeasure::add_totals(const BandedMeasure& part) {
    for (std::size_t i = 0; i < methods_.size(); ++i) {
        methods_[i].total += part.methods_[i].total;
        for (std::size_t t = 0; t < methods_[i].tile_totals.size(); ++t) {
            methods_[i].tile_totals[t] += part.methods_[i].tile_totals[t];
        }
    }
}

Measurement BandedMeasure::result() const {
    const long long max_pixel =
        depth_ == PixelDepth::u8 ? kMaxPixelOf<std::uint8_t> : kMaxPixelOf<std::uint16_t>;
    Measurement measurement;
    for (const MethodSums& method : methods_) {
        measurement.values.push_back(exact_score(
            method.sums.score(method.total, static_cast<long long>(width_) * height_, max_pixel)));
    }
    const std::size_t columns = tiles_.columns.empty() ? 0 : tiles_.columns.size() - 1;
    const std::size_t tiles = tiles_.rows.empty() ? 0 : (tiles_.rows.size() - 1) * columns;
    for (std::size_t t = 0; t < tiles; ++t) {
        const std::size_t r = t / columns;
        const std::size_t c = t % columns;
        const long long pixels = static_cast<long long>(tiles_.columns[c + 1] - tiles_.columns[c]) *
                                 (tiles_.rows[r + 1] - tiles_.rows[r]);
        for (const MethodSums& method : methods_) {
            measurement.values.push_back(
                exact_score(method.sums.score(method.tile_totals[t], pixels, max_pixel)));
        }
    }
    return measurement;
}

}  // namespace bestfocus
