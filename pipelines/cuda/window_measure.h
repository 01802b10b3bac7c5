// The host side shared by the window measures: one thread per window
// anchor on a two-dimensional grid of 32 x 32 blocks, each thread storing its window's term in one
// shared double, one partial-sum array.
#pragma once

#include <cuda_runtime.h>

#include "idivup.h"
#include "launch.h"
#include "measure_pipeline.h"

namespace bestfocus {

using WindowKernelLaunch = decltype(MeasureKernel::launch);

// The kernel of a window measure over anchors_x x anchors_y window anchors. A count of 0 gives an
// empty grid, which is never launched: the value is 0.0. A negative count (an image narrower than
// the window) gives one block in that direction whose threads all fail the kernel's bound.
inline MeasureKernel describe_window_measure(const char* kernel_name, int anchors_x, int anchors_y,
                                             WindowKernelLaunch launch) {
    MeasureKernel kernel = {};
    kernel.name = kernel_name;
    kernel.grid = dim3(iDivUp(anchors_x, kWindowBlockSide), iDivUp(anchors_y, kWindowBlockSide));
    kernel.block = dim3(kWindowBlockSide, kWindowBlockSide);
    kernel.sum_arrays = 1;
    kernel.launch = launch;
    return kernel;
}

}  // namespace bestfocus
