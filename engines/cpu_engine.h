// The CPU engine as an Engine: exact integer sums straight on the view's rows, at either depth.
#pragma once

#include "engine.h"

namespace bestfocus {

class CpuEngine : public Engine {
  public:
    // one_image_run: the run is this one image, so its rows may split over a team of threads.
    explicit CpuEngine(bool one_image_run) : one_image_run_(one_image_run) {}
    Measurement measure(const ImageView& image, const std::vector<int>& methods) const override;
    // On the scan thread, as measure() measures the images of a run of many.
    std::unique_ptr<BandedMeasure> measure_in_bands(int width, int height, PixelDepth depth,
                                                    const std::vector<int>& methods) const override;

  private:
    bool one_image_run_;
};

}  // namespace bestfocus
