#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "buffers.h"
#include "exact_pipeline.h"
#include "exact_score.h"
#include "host_reduction.h"
#include "idivup.h"
#include "launch.h"
#include "measure_pipeline.h"
#include "pixel_limit.h"
#include "runtime_check.h"

namespace bestfocus {

namespace {

constexpr int kMaxGridRows = 65535;

// The host team's exact sum of the blocks' partial sums: integers, so the same in any order.
Int128 add_partial_sums(const long long* h_sums, int count, int host_threads) {
    Int128 total = 0;
#pragma omp parallel for schedule(static) num_threads(host_team_size(host_threads)) \
    reduction(+ : total)
    for (int j = 0; j < count; ++j) {
        total += h_sums[j];
    }
    return total;
}

template <class Pixel>
double measure_on_device(const ExactSumsKernels<Pixel>& kernels, const Pixel* pixels, int width,
                         int height, int host_threads) {
    const std::size_t pixel_count = static_cast<std::size_t>(width) * height;
    int most_sums = 0;
    for (int i = 0; i < kernels.count; ++i) {
        const dim3 grid = exact_terms_grid(kernels.sums[i].anchors_x, kernels.sums[i].anchors_y);
        most_sums = std::max(most_sums, static_cast<int>(grid.x * grid.y));
    }

    DeviceBuffer<Pixel> d_image;
    DeviceBuffer<long long> d_sums;
    PageableBuffer<long long> h_sums;
    WaitForIssuedWork wait_for_issued_work(0);

    if (!d_image.allocate(pixel_count)) return failed_measure();
    if (!d_sums.allocate(static_cast<std::size_t>(most_sums))) return failed_measure();
    if (!h_sums.allocate(static_cast<std::size_t>(most_sums))) return failed_measure();
    if (!ok(cudaMemcpy(d_image.get(), pixels, sizeof(Pixel) * pixel_count, cudaMemcpyHostToDevice),
            "cudaMemcpy"))
        return failed_measure();
    ExactSums sums;
    for (int i = 0; i < kernels.count; ++i) {
        const ExactTermsKernel<Pixel>& kernel = kernels.sums[i];
        const dim3 grid = exact_terms_grid(kernel.anchors_x, kernel.anchors_y);
        const int sum_count = static_cast<int>(grid.x * grid.y);
        const cudaLaunchConfig_t config = launch_config(
            grid, dim3(kWindowBlockSide, kWindowBlockSide), kBlockThreads * sizeof(long long), 0);
        if (!launched(kernel.launch(&config, d_sums.get(), d_image.get(), width, height),
                      kernel.name))
            return failed_measure();
        // Blocking: returns once the kernel is done.
        if (!ok(cudaMemcpy(h_sums.get(), d_sums.get(),
                           sizeof(long long) * static_cast<std::size_t>(sum_count),
                           cudaMemcpyDeviceToHost),
                "cudaMemcpy"))
            return failed_measure();
        sums.values[i] = add_partial_sums(h_sums.get(), sum_count, host_threads);
    }
    wait_for_issued_work.finished();
    return exact_score(
        kernels.score(sums, static_cast<long long>(pixel_count), kMaxPixelOf<Pixel>));
}

}  // namespace

dim3 exact_terms_grid(int anchors_x, int anchors_y) {
    const int rows = iDivUp(anchors_y, kWindowBlockSide);
    return dim3(iDivUp(anchors_x, kWindowBlockSide), rows < kMaxGridRows ? rows : kMaxGridRows);
}

template <class Pixel>
double measure_sums_on_device(const ExactSumsKernels<Pixel>& kernels, const Pixel* pixels,
                              int width, int height, int host_threads) {
    start_measure_call();
    if (!pixel_count_fits(width, height)) {
        return failed_measure();
    }
    if (width < 1 || height < 1) return 0.0;
    for (int i = 0; i < kernels.count; ++i) {
        if (kernels.sums[i].anchors_x < 1 || kernels.sums[i].anchors_y < 1) {
            return 0.0;  // a sum without terms: the image is below the measure's smallest size
        }
    }
    const double value = measure_on_device(kernels, pixels, width, height, host_threads);
    // A buffer that could not be freed fails the call too.
    return measure_call_failed() ? failed_measure() : value;
}

template double measure_sums_on_device(const ExactSumsKernels<std::uint8_t>&, const std::uint8_t*,
                                       int, int, int);
template double measure_sums_on_device(const ExactSumsKernels<std::uint16_t>&, const std::uint16_t*,
                                       int, int, int);

}  // namespace bestfocus
