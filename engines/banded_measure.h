// An image measured a band of rows at a time, as its rows are read: each band adds the exact sums
// of the terms whose rows it completes. Integer addition is associative, so the values are the
// bits the CPU engine gives on the whole image, whatever the bands.
//
// Tiles are measured in the same pass: a term whose window lies inside a tile is computed once and
// added both to the image's sums and to the tile's, so a tiled image costs about what an untiled
// one does rather than twice as much.
#pragma once

#include <climits>
#include <vector>

#include "engine.h"
#include "image_view.h"
#include "measure_registry.h"
#include "pixel_traits.h"
#include "tiled_measure.h"

namespace bestfocus {

class BandedMeasure {
  public:
    // Every method's measure (codes of the measure list, each with a measure) on a width x height
    // image of that depth.
    BandedMeasure(const std::vector<int>& methods, int width, int height, PixelDepth depth);

    // Every method on each tile of the image as well, from here on (before the first band): the
    // values measure() gives on the tile's region of the image. Tiles at least as large as every
    // method's window (tile_size_check.h).
    void measure_tiles(const TileEdges& edges);

    // Rows each band repeats from the one before it: the most rows below its own that a term
    // reads.
    int overlap_rows() const { return overlap_rows_; }

    // `band` holds image rows first_row <= y < first_row + band.height, its top row first through
    // its stride, at the image's width and depth. Bands come top to bottom or bottom to top, each
    // overlapping the one before by overlap_rows(), the first holding the image's first or last
    // row.
    void add(const ImageView& band, int first_row);

    // Only term rows first <= y < end are added from here on: the image's part that this measure
    // takes, when a team of threads shares one image a part each.
    void only_term_rows(int first, int end) {
        first_term_row_ = first;
        end_term_row_ = end;
    }

    // Adds the sums another measure of the same methods, image and tiles added, over term rows of
    // its own.
    void add_totals(const BandedMeasure& part);

    // Every method's value once the bands have covered the image, then each tile's (row by row)
    // as measure_each_tile lays them out.
    Measurement result() const;

  private:
    struct MethodSums {
        CpuRowSums sums;
        TermRows terms;
        ExactSums total;
        std::vector<TermRows> tile_terms;  // each tile's, row by row
        std::vector<ExactSums> tile_totals;
        // The rows whose terms are added so far: first_done <= y < end_done.
        int first_done = 0;
        int end_done = 0;
    };

    // The terms of rows first <= y < end (image rows), all held by the band that begins at image
    // row band_row, added to the image's sums and to its tiles'.
    void add_rows(MethodSums& method, const ImageView& band, int band_row, int first,
                  int end) const;
    // The sums of the terms of rows first <= y < end (counted from the band's top) of the band's
    // columns x <= c < x + width, as a region of that width and `height` rows from the band's top.
    ExactSums sums_of(const MethodSums& method, const ImageView& band, int x, int width, int height,
                      int first, int end) const;

    std::vector<MethodSums> methods_;
    TileEdges tiles_;  // no edges: no tiles
    int width_;
    int height_;
    PixelDepth depth_;
    int overlap_rows_ = 0;
    int first_term_row_ = 0;
    int end_term_row_ = INT_MAX;
};

}  // namespace bestfocus
