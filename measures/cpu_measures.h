// The focus measures written for the CPU: exact integer sums over the pixels, vectorised for
// the machine the program runs on. Each function returns the same quantity as the kernels' 8-bit
// entry point of the same measure (pixels taken as byte / 255.0), within 1e-12 relative, and the
// same bits for the same pixels whatever the thread count.
//
// Arguments: the top-left pixel, the width (columns) and height (rows), the distance from one row
// to the next in pixels (|row_stride| >= width: the width for a whole image, the full image's width
// for a region of it, negative for rows stored bottom row first), and the number of threads.
// threads <= 1 runs on the calling thread; more splits the rows over an OpenMP team of at most that
// size, nested inside the caller's team (an image too small to keep them busy gets fewer: about
// 65536 window terms each). Images too small for the measure's window give 0.0, as the kernels do;
// invalid arguments (no pixels, a row stride below the width) give a quiet NaN. width * height must
// not exceed INT_MAX.
//
// The *_16 functions take 16-bit pixels (row_stride still counted in pixels) and return the same
// quantity on pixels taken as value / 65535.0: what the kernels' double-input entry point gives on
// those normalised pixels, within 1e-12 relative.
//
// cpu_row_sums_<name> gives the measure's exact row sums for this machine and where its terms lie
// (no term row: the image is smaller than the measure's window), for an image measured a band of
// rows at a time as it is read (banded_measure.h).
//
// cpu_<name>, cpu_<name>_16 and cpu_row_sums_<name> exist for every measure of the list; each
// measure's formula is stated in its rows header, measures/<name>/<name>_rows.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "measure_exactly.h"
#include "measure_list.h"

namespace bestfocus {

// Each term of one term row on its own, terms[x] for the anchors 0 <= x < anchors of row y, the
// term reading term_width columns from its anchor.
template <class Pixel>
using TermsOfRow = void (*)(const Pixel* image, std::ptrdiff_t row_stride, int term_width,
                            int height, int y, int anchors, long long* terms);

// A measure's exact sums over term rows (a single-sum measure's total in the first slot), where
// its terms lie and its score from the sums over the whole image.
struct CpuRowSums {
    SumsRows<std::uint8_t> rows8;
    SumsRows<std::uint16_t> rows16;
    TermRows (*terms)(int width, int height);
    ScoreOfSums score;
    // A single-sum measure's score is its total over the largest pixel value to this power; 0 for a
    // measure of several sums.
    int pixel_power;
    // A single-sum measure's terms one by one and the largest magnitude of a term at a largest
    // pixel value; null for a measure of several sums.
    TermsOfRow<std::uint8_t> terms8 = nullptr;
    TermsOfRow<std::uint16_t> terms16 = nullptr;
    long long (*largest_term)(long long max_pixel) = nullptr;
};

#define BESTFOCUS_DECLARE_CPU_MEASURES(code, name, short_name, long_name, stem) \
    double cpu_##name(const unsigned char* pixels, int width, int height,       \
                      std::ptrdiff_t row_stride, int threads);                  \
    double cpu_##name##_16(const std::uint16_t* pixels, int width, int height,  \
                           std::ptrdiff_t row_stride, int threads);             \
    CpuRowSums cpu_row_sums_##name();
BESTFOCUS_MEASURE_LIST(BESTFOCUS_DECLARE_CPU_MEASURES)
#undef BESTFOCUS_DECLARE_CPU_MEASURES

}  // namespace bestfocus
