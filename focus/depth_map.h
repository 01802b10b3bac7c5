// Where focus lies at every pixel of a tiled stack: the tiles' focus between images (1-based
// fractional image numbers) placed at the tiles' centres and interpolated bilinearly.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "folder_scores.h"
#include "tile_grid.h"

namespace bestfocus {

struct DepthMap {
    int width = 0;
    int height = 0;
    std::vector<float> values;  // row by row, top row first
};

// Where focus lies, a stretch of a row at a time: maps the size of an image are read where they
// are needed, not necessarily held.
class DepthRows {
  public:
    DepthRows(int width, int height) : width_(width), height_(height) {}
    virtual ~DepthRows() = default;
    int width() const { return width_; }
    int height() const { return height_; }
    // The values of row y from column begin up to (not including) end, into values[0 ..].
    virtual void span(int y, int begin, int end, float* values) const = 0;
    // Bounds around those values: *least at most the least, *greatest at least the greatest. Here
    // the values themselves (their span into `scratch`, which holds end − begin).
    virtual void bounds(int y, int begin, int end, float* scratch, float* least,
                        float* greatest) const;

  private:
    int width_;
    int height_;
};

// A map held whole, which must outlive this.
class HeldDepthRows final : public DepthRows {
  public:
    explicit HeldDepthRows(const DepthMap& map) : DepthRows(map.width, map.height), map_(map) {}
    void span(int y, int begin, int end, float* values) const override;

  private:
    const DepthMap& map_;
};

// Where a pixel lies between two tile centres along one side of the area: the lower tile and the
// weight of the upper one.
struct TileCentreWeight {
    int lower = 0;
    double weight = 0;
};

// The width x height map of the area the grid splits, computed where asked from the tiles' depths
// (row by row): each tile's depth at its centre (the middle of its pixels), bilinear between the
// four centres around a pixel, and beyond the outer centres the value at the nearest point of
// their rectangle (clamped at the borders). Not for two threads at once: it keeps the rows it
// interpolated last.
class TileDepthRows final : public DepthRows {
  public:
    TileDepthRows(const TileGrid& grid, int width, int height, std::vector<double> tile_depths);
    void span(int y, int begin, int end, float* values) const override;
    // From a few of the stretch's values, without interpolating the rest.
    void bounds(int y, int begin, int end, float* scratch, float* least,
                float* greatest) const override;

  private:
    double tile_depth(int row, int column) const {
        return tile_depths_[static_cast<std::size_t>(std::min(row, grid_.rows - 1) * grid_.columns +
                                                     std::min(column, grid_.columns - 1))];
    }

    TileGrid grid_;
    std::vector<double> tile_depths_;
    std::vector<TileCentreWeight> across_;  // for every column
    std::vector<TileCentreWeight> down_;    // for every row
    std::vector<int> centre_columns_;       // the columns either side of each tile centre
    // The tile rows above and below the rows asked for last, interpolated across every column.
    mutable int interpolated_row_ = -1;
    mutable std::vector<double> above_;
    mutable std::vector<double> below_;
};

// The tiles' depths, row by row: a tile with texture keeps its own; a flat one (no texture, so no
// depth of its own) takes the mean of the textured tiles nearest to it, nearness counted in tiles
// as the larger of the row and column distances; when every tile is flat, every tile takes
// `when_all_flat`.
std::vector<double> filled_tile_depths(const TileGrid& grid, const std::vector<double>& depths,
                                       const std::vector<bool>& flat, double when_all_flat);

// The rows' map, held whole.
DepthMap held_depth(const DepthRows& rows);

// A tiled folder's map under its first method: its tiles' fractional picks, those that do not
// locate focus (locates_focus: flat, or peaking twice) filled as
// flat ones are, and the whole stack's fractional pick when no tile locates it; held whole, or
// computed where asked.
TileDepthRows folder_depth_rows(const FolderScores& folder);
DepthMap folder_depth_map(const FolderScores& folder);

}  // namespace bestfocus
