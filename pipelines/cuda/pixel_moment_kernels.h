// The pixel moments (pixel_moments.h) on the device: as exact terms for the kernel engine, and as
// sums of the normalised pixels for the measure functions of the measures that combine them.
#pragma once

#include <cuda_runtime.h>

#include "measure_pipeline.h"
#include "pixel_moments.h"

namespace bestfocus {

// A moment's exact terms (exact_terms_kernel.h): the terms of pixel_moments.h on the integer
// pixels, in 64-bit integers.
template <PixelMoment moment>
struct MomentTerms {
    static constexpr const char* kKernelName =
        moment == PixelMoment::pixels    ? "exact_terms_kernel<MomentTerms<pixels>>"
        : moment == PixelMoment::squares ? "exact_terms_kernel<MomentTerms<squares>>"
                                         : "exact_terms_kernel<MomentTerms<row_products>>";
    static constexpr int kPixelPower = moment == PixelMoment::pixels ? 1 : 2;
    BESTFOCUS_HOST_DEVICE static int anchors_x(int width) { return moment_anchors_x(width); }
    BESTFOCUS_HOST_DEVICE static int anchors_y(int height) {
        return moment_anchors_y(moment, height);
    }
    static constexpr long long largest_term(long long max_pixel) {
        return moment_largest_term(moment, max_pixel);
    }
    template <class Pixel>
    __device__ static long long at(const Pixel* image, int width, int, int x, int y) {
        return moment_term<moment, long long>(image + static_cast<long long>(y) * width + x, width);
    }
};

using PixelSumTerms = MomentTerms<PixelMoment::pixels>;
using SquareSumTerms = MomentTerms<PixelMoment::squares>;
using RowProductSumTerms = MomentTerms<PixelMoment::row_products>;

// The moment's sum over the call's image in double precision, through the measure functions'
// pipeline (measure_pipeline.h): on pixels taken as value / 255 for bytes. 0.0 for an image
// without the moment's terms, NaN when a runtime call failed.
double moment_sum(const MeasureCall& call, PixelMoment moment);

}  // namespace bestfocus
