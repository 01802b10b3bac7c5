// The CPU engine as an Engine: exact integer sums straight on the view's rows, at either depth.
#pragma once

#include "engine.h"

namespace bestfocus {

class CpuEngine : public Engine {
  public:
    // one_image_run: the run is this one image, so its rows may split over a team of up to
    // `threads` threads.
    CpuEngine(bool one_image_run, int threads) : one_image_run_(one_image_run), threads_(threads) {}
    Measurement measure(const ImageView& image, const std::vector<int>& methods) const override;
    // On the calling thread; a run of one image shares the bands over image_team() threads.
    std::unique_ptr<BandedMeasure> measure_in_bands(int width, int height, PixelDepth depth,
                                                    const std::vector<int>& methods) const override;
    int image_team() const override;
    // It measures the view where it lies.
    std::uint64_t bytes_per_pixel_measured() const override { return 0; }

  private:
    bool one_image_run_;
    int threads_;
};

}  // namespace bestfocus
