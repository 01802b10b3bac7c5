// An image measured whole and tile by tile in one call.
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

}  // namespace bestfocus
