#include "tiles_as_read.h"

namespace bestfocus {

TiledBands::TiledBands(const Engine& engine, int width, int height, PixelDepth depth,
                       const TileEdges& edges, const std::vector<int>& methods)
    : measure_(engine.measure_in_bands(width, height, depth, methods)) {
    if (measure_) {
        measure_->measure_tiles(edges);
    }
}

}  // namespace bestfocus
