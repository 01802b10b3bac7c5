// Where focus lies at every pixel of a tiled stack: the tiles' focus between images (1-based
// fractional image numbers) placed at the tiles' centres and interpolated bilinearly.
#pragma once

#include <vector>

#include "folder_scores.h"
#include "tile_grid.h"

namespace bestfocus {

struct DepthMap {
    int width = 0;
    int height = 0;
    std::vector<float> values;  // row by row, top row first
};

// The tiles' depths, row by row: a tile with texture keeps its own; a flat one (no texture, so no
// depth of its own) takes the mean of the textured tiles nearest to it, nearness counted in tiles
// as the larger of the row and column distances; when every tile is flat, every tile takes
// `when_all_flat`.
std::vector<double> filled_tile_depths(const TileGrid& grid, const std::vector<double>& depths,
                                       const std::vector<bool>& flat, double when_all_flat);

// The width x height map of the area the grid splits: each tile's depth at its centre (the middle
// of its pixels), bilinear between the four centres around a pixel, and beyond the outer centres
// the value at the nearest point of their rectangle (clamped at the borders).
DepthMap interpolated_depth(const TileGrid& grid, int width, int height,
                            const std::vector<double>& tile_depths);

// A tiled folder's map under its first method: its tiles' fractional picks, the flat ones filled,
// and the whole stack's fractional pick when every tile is flat.
DepthMap folder_depth_map(const FolderScores& folder);

}  // namespace bestfocus
