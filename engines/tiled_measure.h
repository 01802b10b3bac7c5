// An image measured whole and tile by tile in one call: the CPU engine adds each tile's exact
// sums once and finds the whole image's from them, instead of measuring every pixel twice.
#pragma once

#include <vector>

#include "engine.h"
#include "image_view.h"

namespace bestfocus {

// Where the tiles of a view lie: column edges 0 = x0 < x1 < ... < xC = the view's width, tile
// column c spanning xc <= x < xc+1; row edges alike.
struct TileEdges {
    std::vector<int> columns;
    std::vector<int> rows;
};

// Every method on the view and on each tile, as Engine::measure gives them on the view and on the
// tile's region of it: the view's values first, then tile t's (row by row) under method m at
// methods + t · methods + m.
Measurement measure_each_tile(const Engine& engine, const ImageView& image, const TileEdges& edges,
                              const std::vector<int>& methods);

// The same from the CPU engine's exact sums: each tile's terms added once, the view's total being
// the tiles' and those of the terms that cross a tile edge, found on narrow strips along the
// edges. Every tile must be at least as large as each method's window. Single-threaded.
Measurement exact_tile_sums(const ImageView& image, const TileEdges& edges,
                            const std::vector<int>& methods);

}  // namespace bestfocus
