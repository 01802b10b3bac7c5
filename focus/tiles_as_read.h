// An image measured whole and tile by tile as its rows are read: each band of rows measured once,
// its terms added to the whole image's sums and to those of the tiles they lie in, while it is in
// cache.
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
    TiledBands(const Engine& engine, int width, int height, PixelDepth depth,
               const TileEdges& edges, const std::vector<int>& methods);

    bool banded() const { return measure_ != nullptr; }

    // As BandedMeasure's.
    int overlap_rows() const { return measure_->overlap_rows(); }
    void add(const ImageView& band, int first_row) { measure_->add(band, first_row); }

    // The values as measure_each_tile lays them out, once the bands have covered the image.
    Measurement result() const { return measure_->result(); }

  private:
    std::unique_ptr<BandedMeasure> measure_;
};

}  // namespace bestfocus
