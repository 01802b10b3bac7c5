// The kernel engine's pipeline: a measure's terms added exactly on the device, from the pixels as
// they are (8- or 16-bit integers).
//
//   allocate -> pixels to the device -> exact terms kernel (each block's sum in a 64-bit integer)
//   -> partial sums to the host -> added in 128 bits by the host team -> divided once.
//
// A measure of several sums runs one such kernel per sum on the one upload.
//
// The division is the CPU engine's (exact_score.h), so both engines give the same bits. Every
// runtime call is checked as in the double-precision measure functions (measure_pipeline.h): on a
// failure the work issued is waited for, every buffer is freed, the failed call is noted and the
// result is a quiet NaN.
#pragma once

#include <cuda_runtime.h>

#include "exact_score.h"

namespace bestfocus {

// Launches a measure's exact terms kernel (exact_terms_kernel.h) on d_image with config.
template <class Pixel>
using ExactTermsLaunch = cudaError_t (*)(const cudaLaunchConfig_t* config, long long* d_sums,
                                         const Pixel* d_image, int width, int height);

// A measure's exact terms on an image of width x height: one term per anchor (x, y) with
// x < anchors_x and y < anchors_y, none when either is below 1.
template <class Pixel>
struct ExactTermsKernel {
    const char* name;  // the kernel's, for the failure of its launch
    int anchors_x;
    int anchors_y;
    ExactTermsLaunch<Pixel> launch;
};

// A measure's exact sums, each the total of one kernel's terms (most measures have one), and its
// score from them.
template <class Pixel>
struct ExactSumsKernels {
    ExactTermsKernel<Pixel> sums[ExactSums::kCount];
    int count;
    ScoreOfSums score;
};

// The grid of an exact terms kernel: 32 x 32 blocks over the anchors, at most 65535 block rows
// (a GPU's limit), each thread then taking every such stride of rows.
dim3 exact_terms_grid(int anchors_x, int anchors_y);

// The measure's score on the width x height pixels (rows back to back): its exact sums, the
// pixels uploaded once and each sum's kernel run on them, the blocks' partial sums added by a
// team of host_threads threads, and the score's fraction correctly rounded. 0.0 for an image on
// which a sum has no term (nothing allocated or launched), NaN for one too large for the 32-bit
// counts or when a runtime call or an allocation failed.
template <class Pixel>
double measure_sums_on_device(const ExactSumsKernels<Pixel>& kernels, const Pixel* pixels,
                              int width, int height, int host_threads);

}  // namespace bestfocus
