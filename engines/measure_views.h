// Many images held in memory, measured at once on a team of threads: for front ends that get the
// pixels from their caller rather than from files (the Python module).
#pragma once

#include <cstddef>
#include <vector>

#include "engine.h"
#include "image_view.h"

namespace bestfocus {

// An image in memory whose pixels may lie apart along a row too (a transposed or strided array).
struct StridedView {
    const void* pixels = nullptr;  // the top-left pixel
    PixelDepth depth = PixelDepth::u8;
    int width = 0;
    int height = 0;
    std::ptrdiff_t row_stride = 0;     // pixels from one row to the next; any sign
    std::ptrdiff_t column_stride = 1;  // pixels from one column to the next; any sign
};

// Every method (codes of the measure list) on each image, images spread over `threads` threads
// (static schedule); results in image order. The engines read rows of adjacent pixels: an image
// whose columns are adjacent and whose rows do not overlap is measured in place, any other is
// first gathered into its thread's buffer of one image (so no more than `threads` images are ever
// copied at once).
std::vector<Measurement> measure_views(const Engine& engine, const std::vector<StridedView>& images,
                                       const std::vector<int>& methods, int threads);

// The same with every image measured whole and tile by tile (Engine::measure_tiles).
struct TileEdges;
std::vector<Measurement> measure_views_in_tiles(const Engine& engine,
                                                const std::vector<StridedView>& images,
                                                const TileEdges& edges,
                                                const std::vector<int>& methods, int threads);

}  // namespace bestfocus
