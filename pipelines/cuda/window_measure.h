// The shared adapter of the window measures: one thread per window anchor on a two-dimensional
// grid of 32 x 32 blocks, each thread storing its window's term in one shared double, one
// partial-sum array; and the exact kernels over the same terms.
//
// A window measure's kernel file defines its double kernel (the tool's Calcular_*_Kernel) and one
// class of its terms, the exact kernels' Terms (exact_terms_kernel.h) with two more members:
//   static constexpr const char* kMeasureKernelName;   the double kernel's name, for failures
//   static constexpr WindowKernelLaunch launch;         how to launch it, often
//                                                       launch_window_kernel<the kernel>
// BESTFOCUS_WINDOW_MEASURE(name, stem, Terms) then defines the measure's entry points
// funcion_<stem>_GPU* and the kernel engine's kernel_<name> and kernel_<name>_16.
#pragma once

#include <cuda_runtime.h>

#include "exact_terms_kernel.h"
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

// Launches a double kernel of the form (partial sums, image, width, height).
template <auto Kernel>
cudaError_t launch_window_kernel(const cudaLaunchConfig_t* config, const KernelBuffers& buffers,
                                 int width, int height) {
    return launch_kernel<Kernel>(config, buffers.d_sums[0], buffers.d_image, width, height);
}

// The double kernel of the window measure whose terms are Terms, over Terms' anchors.
template <class Terms>
MeasureKernel describe_window_kernel(int width, int height) {
    return describe_window_measure(Terms::kMeasureKernelName, Terms::anchors_x(width),
                                   Terms::anchors_y(height), Terms::launch);
}

}  // namespace bestfocus

// A window measure's entry points and exact kernels, from its Terms class.
#define BESTFOCUS_WINDOW_MEASURE(name, stem, Terms)         \
    BESTFOCUS_EXACT_KERNEL_MEASURES(name, bestfocus::Terms) \
    BESTFOCUS_MEASURE_ENTRY_POINTS(                         \
        stem,                                               \
        bestfocus::run_described_measure<bestfocus::describe_window_kernel<bestfocus::Terms>>)
