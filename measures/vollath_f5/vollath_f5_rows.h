// Vollath F5's CPU row sums: the pixels' sum and the products of each pixel with the one below; its
// score is in vollath_f5_score.h.
#pragma once

#include "pixel_moment_rows.h"
#include "vollath_f5_score.h"

namespace bestfocus {

template <class Pixel>
CPU_ENGINE_INLINE ExactSums vollath_f5_rows(const Pixel* image, std::ptrdiff_t row_stride,
                                            int width, int height, int first_row, int end_row) {
    return pixel_moment_rows<Pixel, false, true>(image, row_stride, width, height, first_row,
                                                 end_row);
}

inline TermRows vollath_f5_terms(int width, int height) {
    return pixel_moment_terms(width, height, true);
}

}  // namespace bestfocus
