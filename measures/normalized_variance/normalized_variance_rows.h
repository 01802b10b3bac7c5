// Normalized variance's CPU row sums: the pixels' sum and their squares' sum over every row; its
// score is in normalized_variance_score.h.
#pragma once

#include "normalized_variance_score.h"
#include "pixel_moment_rows.h"

namespace bestfocus {

template <class Pixel>
CPU_ENGINE_INLINE ExactSums normalized_variance_rows(const Pixel* image, std::ptrdiff_t row_stride,
                                                     int width, int height, int first_row,
                                                     int end_row) {
    return pixel_moment_rows<Pixel, true, false>(image, row_stride, width, height, first_row,
                                                 end_row);
}

inline TermRows normalized_variance_terms(int width, int height) {
    return pixel_moment_terms(width, height, false);
}

}  // namespace bestfocus
