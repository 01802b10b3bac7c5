// A grid of tiles over the measured area of every image (the image, or its region of interest):
// R rows by C columns, tile (r, c) spanning columns floor(c·W/C) to floor((c+1)·W/C) − 1 and rows
// floor(r·H/R) to floor((r+1)·H/R) − 1 of the W x H area, r and c from 0.
#pragma once

#include <optional>
#include <string>

#include "stack_layout.h"

namespace bestfocus {

struct TileGrid {
    int rows = 0;
    int columns = 0;
    long long count() const { return static_cast<long long>(rows) * columns; }
};

// The most tiles on a side: more than any image's pixels on a side we read.
constexpr int kMostTilesPerSide = 1 << 20;

// Reads "RxC": two decimal integers from 1 to kMostTilesPerSide joined by a lower-case 'x',
// nothing else (no sign, blank or other character).
std::optional<TileGrid> parse_tile_grid(const std::string& text);

// Tile (row, column) of the grid over `area`, in the coordinates `area` is given in.
RegionOfInterest tile_rectangle(const TileGrid& grid, const RegionOfInterest& area, int row,
                                int column);

}  // namespace bestfocus
