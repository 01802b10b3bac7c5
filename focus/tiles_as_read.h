// An image measured whole and tile by tile as its rows are read: each band of rows goes to the
// whole image's banded measure and to those of the tiles it crosses, while it is in cache.
#pragma once

#include <memory>
#include <vector>

#include "banded_measure.h"
#include "engine.h"
#include "tiled_measure.h"

namespace bestfocus {

class TiledBands {
  public:
    // Every method on a width x height image of that depth and on each of its tiles, when the
    // engine measures such images in bands (banded() says whether it does).
    TiledBands(const Engine& engine, int width, int height, PixelDepth depth, TileEdges edges,
               const std::vector<int>& methods);

    bool banded() const { return whole_ != nullptr; }

    // As BandedMeasure's.
    int overlap_rows() const { return whole_->overlap_rows(); }
    void add(const ImageView& band, int first_row);

    // The values as measure_each_tile lays them out, once the bands have covered the image.
    Measurement result() const;

  private:
    TileEdges edges_;
    std::unique_ptr<BandedMeasure> whole_;
    std::vector<std::unique_ptr<BandedMeasure>> tiles_;  // row by row
};

}  // namespace bestfocus
