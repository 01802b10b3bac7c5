// One image of a stack: decode it once and compute its focus value under every method asked for.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine.h"
#include "image_source.h"
#include "run_failure.h"
#include "stack_layout.h"
#include "tile_grid.h"
#include "tiled_measure.h"

namespace bestfocus {

struct ImageMeasurement {
    bool measured = false;
    std::vector<double> focus;  // one value per method, in the order they were given
    int width = 0;              // of the decoded image (not of the region), when measured
    int height = 0;
    bool sixteen_bit = false;  // of the image's pixels, when measured
    RunFailure failure;        // when not measured: its kind, naming the image
    // With tiles: tile t's value under method m at t · methods + m, tiles row by row.
    std::vector<double> tile_focus;
};

// The region of the view, which must lie inside it.
ImageView region_of(const ImageView& image, const RegionOfInterest& region);

// Where the grid's tiles of a width x height image lie, as the engines take them.
TileEdges tile_edges(const TileGrid& grid, int width, int height);

// Opens the image once and measures its pixels, or the region's when one is given, on the engine
// with each method (codes of the measure list). The whole image's rows, where they lie in the
// file, are measured as they are read, a band at a time (measure_as_read.h), on an engine that
// measures in bands; any other image is read whole at its depth into a buffer the calling thread
// keeps, once the memory it takes is free (decoding_memory.h). Fails when the image cannot be read
// (a diagnostic says why when OpenCV's decoders are needed but cannot be loaded, or when it needs
// more memory than the run has), when its pixels are neither 8- nor 16-bit integers (a diagnostic
// names the depth), when the region does not lie inside it (then only a diagnostic, naming both
// sizes), and when the engine fails: the measured pixels too many for it, or a measurement failed
// (a diagnostic says why when the engine does). With tiles, every tile of the image (or region) is
// measured too, each as a region of the pixels read once, so that its value is the one the region
// alone gives; tiles the image (or region) cannot take are a bad command line (bad_tiles, its
// refusal says why: tile_grid.h).
ImageMeasurement measure_image(const ImageLocation& image, const Engine& engine,
                               const std::vector<int>& methods,
                               const std::optional<RegionOfInterest>& region = std::nullopt,
                               const std::optional<TileGrid>& tiles = std::nullopt);

}  // namespace bestfocus
