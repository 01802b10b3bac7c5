// What measures an image: one call, an image view in, a value per method or a failure out. The
// scan holds an Engine and never asks which one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "image_view.h"
#include "team_sizes.h"

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
    virtual std::unique_ptr<BandedMeasure> measure_in_bands(int width, int height, PixelDepth depth,
                                                            const std::vector<int>& methods) const;
    // Memory the engine adds a pixel while it measures an image: the kernels' staged, device and
    // normalised copies (an upper bound at either depth).
    virtual std::uint64_t bytes_per_pixel_measured() const { return 24; }
    // Threads that share the rows of one image: more than 1 when the run is one image on an
    // engine that splits its rows over a team.
    virtual int image_team() const { return 1; }
};

// The engine of that kind for a run of `images_in_run` images whose measures' host-reduction
// team has `reduction_threads` threads (the run's N_threads). The kernels pass it to their host
// reduction; the CPU engine measures on the calling thread, unless the run is one image: then its
// rows split over min(reduction_threads, processors) threads.
std::unique_ptr<Engine> make_engine(EngineKind kind, long long images_in_run,
                                    int reduction_threads = kDefaultThreads);

// Measurement results the engines share.
Measurement too_many_pixels();
Measurement failed_measurement(std::string reason);

}  // namespace bestfocus
