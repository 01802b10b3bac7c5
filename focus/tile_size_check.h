// Whether tiles are large enough for the methods that measure them.
#pragma once

#include <string>
#include <vector>

#include "tile_grid.h"

namespace bestfocus {

// Why the grid cannot split a width x height area for every method (codes of the measure list),
// starting with "\nbestfocus: ", naming the area as `area_name` does ("the image a.bmp, 40 x 30");
// empty when it can: every tile must be at least as large as each method's window.
std::string tile_size_problem(const TileGrid& grid, int width, int height,
                              const std::vector<int>& methods, const std::string& area_name);

}  // namespace bestfocus
