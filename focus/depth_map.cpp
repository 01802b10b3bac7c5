#include "depth_map.h"

#include <algorithm>
#include <cmath>

#include "focus_curve.h"
#include "tile_picks.h"

namespace bestfocus {
namespace {

// The centres of the tiles along a side of `length` pixels split into `parts` tiles.
std::vector<double> tile_centres(int length, int parts) {
    std::vector<double> centres;
    const TileGrid line{1, parts};
    for (int part = 0; part < parts; ++part) {
        const RegionOfInterest tile = tile_rectangle(line, {0, 0, length, 1}, 0, part);
        centres.push_back(tile.x + (tile.width - 1) / 2.0);
    }
    return centres;
}

// The pixels on either side of each centre, in order.
std::vector<int> pixels_at_centres(int length, int parts) {
    std::vector<int> pixels;
    for (const double centre : tile_centres(length, parts)) {
        pixels.push_back(static_cast<int>(std::floor(centre)));
        pixels.push_back(static_cast<int>(std::ceil(centre)));
    }
    pixels.erase(std::unique(pixels.begin(), pixels.end()), pixels.end());
    return pixels;
}

// For every pixel along a side of `length` pixels split into `parts` tiles.
std::vector<TileCentreWeight> positions_between(int length, int parts) {
    const std::vector<double> centres = tile_centres(length, parts);
    std::vector<TileCentreWeight> positions(static_cast<std::size_t>(length));
    int lower = 0;
    for (int pixel = 0; pixel < length; ++pixel) {
        while (lower + 2 < parts && pixel >= centres[static_cast<std::size_t>(lower) + 1]) {
            ++lower;
        }
        TileCentreWeight& at = positions[static_cast<std::size_t>(pixel)];
        if (parts == 1) {
            continue;
        }
        const double from = centres[static_cast<std::size_t>(lower)];
        const double to = centres[static_cast<std::size_t>(lower) + 1];
        at.lower = lower;
        at.weight = std::clamp((pixel - from) / (to - from), 0.0, 1.0);
    }
    return positions;
}

}  // namespace

void DepthRows::bounds(int y, int begin, int end, float* scratch, float* least,
                       float* greatest) const {
    span(y, begin, end, scratch);
    const auto [low, high] = std::minmax_element(scratch, scratch + (end - begin));
    *least = *low;
    *greatest = *high;
}

void HeldDepthRows::span(int y, int begin, int end, float* values) const {
    const float* row = map_.values.data() + static_cast<std::size_t>(y) * map_.width;
    std::copy(row + begin, row + end, values);
}

TileDepthRows::TileDepthRows(const TileGrid& grid, int width, int height,
                             std::vector<double> tile_depths)
    : DepthRows(width, height),
      grid_(grid),
      tile_depths_(std::move(tile_depths)),
      across_(positions_between(width, grid.columns)),
      down_(positions_between(height, grid.rows)),
      centre_columns_(pixels_at_centres(width, grid.columns)) {}

void TileDepthRows::span(int y, int begin, int end, float* values) const {
    const TileCentreWeight& at_y = down_[static_cast<std::size_t>(y)];
    if (at_y.lower != interpolated_row_) {
        above_.resize(across_.size());
        below_.resize(across_.size());
        for (std::size_t column = 0; column < across_.size(); ++column) {
            const TileCentreWeight& x = across_[column];
            above_[column] = (1 - x.weight) * tile_depth(at_y.lower, x.lower) +
                             x.weight * tile_depth(at_y.lower, x.lower + 1);
            below_[column] = (1 - x.weight) * tile_depth(at_y.lower + 1, x.lower) +
                             x.weight * tile_depth(at_y.lower + 1, x.lower + 1);
        }
        interpolated_row_ = at_y.lower;
    }
    const double weight = at_y.weight;
    const double* above = above_.data();
    const double* below = below_.data();
    // Each value on its own: on vectors the same steps, rounded alike.
#pragma omp simd
    for (int x = begin; x < end; ++x) {
        values[x - begin] = static_cast<float>((1 - weight) * above[x] + weight * below[x]);
    }
}

void TileDepthRows::bounds(int y, int begin, int end, float* /*scratch*/, float* least,
                           float* greatest) const {
    const TileCentreWeight& at_y = down_[static_cast<std::size_t>(y)];
    // As span computes it, without the rows it keeps.
    const auto value = [this, &at_y](int column) {
        const TileCentreWeight& x = across_[static_cast<std::size_t>(column)];
        const double above = (1 - x.weight) * tile_depth(at_y.lower, x.lower) +
                             x.weight * tile_depth(at_y.lower, x.lower + 1);
        const double below = (1 - x.weight) * tile_depth(at_y.lower + 1, x.lower) +
                             x.weight * tile_depth(at_y.lower + 1, x.lower + 1);
        return (1 - at_y.weight) * above + at_y.weight * below;
    };
    // Along a row the map is linear between tile centres: its extremes over a stretch lie at the
    // stretch's ends and at the pixels either side of the centres within it.
    double low = std::min(value(begin), value(end - 1));
    double high = std::max(value(begin), value(end - 1));
    for (auto column = std::lower_bound(centre_columns_.begin(), centre_columns_.end(), begin);
         column != centre_columns_.end() && *column < end; ++column) {
        low = std::min(low, value(*column));
        high = std::max(high, value(*column));
    }
    // Between those points each value is rounded on its own: it strays from the line by no more
    // than a few roundings in double and one to float; a millionth of the value is far beyond.
    *least = static_cast<float>(low - 1e-6 * (1 + std::fabs(low)));
    *greatest = static_cast<float>(high + 1e-6 * (1 + std::fabs(high)));
}

DepthMap held_depth(const DepthRows& rows) {
    DepthMap map{rows.width(), rows.height(),
                 std::vector<float>(static_cast<std::size_t>(rows.width()) * rows.height())};
    for (int y = 0; y < rows.height(); ++y) {
        rows.span(y, 0, rows.width(),
                  map.values.data() + static_cast<std::size_t>(y) * rows.width());
    }
    return map;
}

TileDepthRows folder_depth_rows(const FolderScores& folder) {
    const std::vector<TilePick> picks = tile_picks(folder, 0);
    std::vector<double> depths;
    std::vector<bool> without_depth;
    for (const TilePick& tile : picks) {
        depths.push_back(tile.fractional_best);
        without_depth.push_back(!locates_focus(tile.flags));
    }
    const MethodScores& first = folder.methods[0];
    return TileDepthRows(folder.tiles, folder.area.width, folder.area.height,
                         filled_tile_depths(folder.tiles, depths, without_depth,
                                            fractional_best(first.scores, first.best_number)));
}

DepthMap folder_depth_map(const FolderScores& folder) {
    return held_depth(folder_depth_rows(folder));
}

}  // namespace bestfocus
