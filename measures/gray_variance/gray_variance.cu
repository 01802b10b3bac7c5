// Gray variance: the variance of the pixels, (N S2 - S1^2) / N^2 on pixels taken as value / 255,
// where S1 is the pixels' sum and S2 their squares' sum over the N pixels.

#include <cuda_runtime.h>

#include <cmath>

#include "exact_terms_kernel.h"
#include "gray_variance_score.h"
#include "measure_pipeline.h"
#include "measures.h"
#include "pixel_moment_kernels.h"

namespace bestfocus {
namespace {

double gray_variance(const MeasureCall& call) {
    const double s1 = moment_sum(call, PixelMoment::pixels);
    // 0.0 on an image without pixels, NaN on a failure: the value either way.
    if (std::isnan(s1) || call.width < 1 || call.height < 1) return s1;
    const double s2 = moment_sum(call, PixelMoment::squares);
    const double n = static_cast<double>(call.width) * call.height;
    return (n * s2 - s1 * s1) / (n * n);
}

}  // namespace
}  // namespace bestfocus

BESTFOCUS_EXACT_KERNEL_SUMS_MEASURES(gray_variance, gray_variance_score, PixelSumTerms,
                                     SquareSumTerms)
BESTFOCUS_MEASURE_ENTRY_POINTS(GrayVariance, bestfocus::gray_variance)
