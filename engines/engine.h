// What measures an image: one call, an image view in, a value per method or a failure out. The
// scan holds an Engine and never asks which one.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "image_view.h"

namespace bestfocus {

enum class EngineKind { kernels, cpu };

struct Measurement {
    enum class Failure { none, too_many_pixels, failed };
    Failure failure = Failure::none;
    std::vector<double> values;  // one per method, in the order asked, when failure == none
    std::string reason;          // for `failed`: why, e.g. "cudaLaunchKernelEx
                                 // (Calcular_MDCT_Kernel) failed: cudaErrorLaunchFailure:
                                 // unspecified launch failure"; may be empty
};

class BandedMeasure;

class Engine {  // thread-safe: many scan threads call measure() at once
  public:
    virtual ~Engine() = default;
    // Every method (codes of the measure list) on the view, in order; stops at the first failure.
    virtual Measurement measure(const ImageView& image, const std::vector<int>& methods) const = 0;
    // Every method on a width x height image fed a band of rows at a time as it is read
    // (banded_measure.h), giving the values measure() gives on the whole image; null when this
    // engine measures such an image only whole.
    virtual std::unique_ptr<BandedMeasure> measure_in_bands(int width, int height,
                                                            PixelDepth depth,
                                                            const std::vector<int>& methods) const;
};

// The engine of that kind for a run of `images_in_run` images. The kernels pass N_threads to
// their host reduction; the CPU engine measures on the calling thread, unless the run is one
// image: then its rows split over min(N_threads, processors) threads. N_threads is read at each
// measurement, where the teams are formed.
std::unique_ptr<Engine> make_engine(EngineKind kind, long long images_in_run);

// Measurement results the engines share.
Measurement too_many_pixels();
Measurement failed_measurement(std::string reason);

}  // namespace bestfocus
