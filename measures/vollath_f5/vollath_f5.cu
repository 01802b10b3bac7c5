// Vollath F5: (N P - S1^2) / N on pixels taken as value / 255, where S1 is the pixels' sum over
// the N pixels and P the sum of each pixel's product with the pixel below it (rows 0 to H - 2);
// 0 on an image of one row.

#include <cuda_runtime.h>

#include <cmath>

#include "exact_terms_kernel.h"
#include "measure_pipeline.h"
#include "measures.h"
#include "pixel_moment_kernels.h"
#include "vollath_f5_score.h"

namespace bestfocus {
namespace {

double vollath_f5(const MeasureCall& call) {
    const double p = moment_sum(call, PixelMoment::row_products);
    // 0.0 on an image without a row pair, NaN on a failure: the value either way.
    if (std::isnan(p) || call.width < 1 || call.height < 2) return p;
    const double s1 = moment_sum(call, PixelMoment::pixels);
    const double n = static_cast<double>(call.width) * call.height;
    return (n * p - s1 * s1) / n;
}

}  // namespace
}  // namespace bestfocus

BESTFOCUS_EXACT_KERNEL_SUMS_MEASURES(vollath_f5, vollath_f5_score, PixelSumTerms,
                                     RowProductSumTerms)
BESTFOCUS_MEASURE_ENTRY_POINTS(VollathF5, bestfocus::vollath_f5)
