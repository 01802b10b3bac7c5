#include "tile_picks.h"

#include "focus_curve.h"
#include "focus_selection.h"

namespace bestfocus {

std::vector<TilePick> tile_picks(const FolderScores& folder, std::size_t method) {
    const TileGrid& grid = folder.tiles;
    std::vector<TilePick> picks;
    picks.reserve(static_cast<std::size_t>(grid.count()));
    std::vector<int> every_pick(folder.methods.size());
    for (int row = 0; row < grid.rows; ++row) {
        for (int column = 0; column < grid.columns; ++column) {
            const std::size_t tile = static_cast<std::size_t>(row * grid.columns + column);
            for (std::size_t m = 0; m < folder.methods.size(); ++m) {
                every_pick[m] = best_image_number(folder.methods[m].tile_scores[tile]);
            }
            const std::vector<double>& scores = folder.methods[method].tile_scores[tile];
            const int best = every_pick[method];
            picks.push_back({row, column, tile_rectangle(grid, folder.area, row, column), best,
                             fractional_best(scores, best), curve_flags(scores, best, every_pick)});
        }
    }
    return picks;
}

}  // namespace bestfocus
