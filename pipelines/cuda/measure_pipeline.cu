#include <cstddef>

#include "buffers.h"
#include "host_reduction.h"
#include "launch.h"
#include "measure_pipeline.h"
#include "normalizar_kernel.h"
#include "runtime_check.h"

namespace bestfocus {

namespace {

bool takes_bytes(const MeasureCall& call) { return call.input != ImageInput::Doubles; }

bool on_callers_stream(const MeasureCall& call) { return call.input == ImageInput::BytesOnStream; }

// The stream all GPU work of the call goes to: the caller's, or the legacy default stream.
cudaStream_t work_stream(const MeasureCall& call) {
    return on_callers_stream(call) ? call.stream : 0;
}

// A copy of the call: asynchronous on the caller's stream in the stream variant, blocking on the
// default stream otherwise. Empty ones are not issued.
bool copy(const MeasureCall& call, void* dst, const void* src, std::size_t bytes,
          cudaMemcpyKind kind) {
    if (bytes == 0) {
        return true;
    }
    if (on_callers_stream(call)) {
        return ok(cudaMemcpyAsync(dst, src, bytes, kind, call.stream), "cudaMemcpyAsync");
    }
    return ok(cudaMemcpy(dst, src, bytes, kind), "cudaMemcpy");
}

// Host reduction: the team adds the partial sums (with two arrays, each thread merges both of its
// sums in one turn), then the host terms into total 1. The merges end with a barrier.
double reduce_on_host(const MeasureCall& call, const MeasureKernel& kernel, const HostImage& image,
                      double* const h_sums[2], int sum_count) {
    double total_1 = 0.0;
    double total_2 = 0.0;
#pragma omp parallel num_threads(host_team_size(call.host_threads))
    {
        const double own_1 = sum_own_share(h_sums[0], sum_count);
        if (kernel.sum_arrays == 2) {
            const double own_2 = sum_own_share(h_sums[1], sum_count);
            merge_in_thread_order([&] {
                total_2 += own_2;
                total_1 += own_1;
            });
        } else {
            merge_into(&total_1, own_1);
        }
        if (kernel.host_term_count > 0) {
            merge_into(&total_1, sum_own_share_of_terms(kernel.host_term_count, [&](long long k) {
                return kernel.host_term(image, k);
            }));
        }
    }
    return kernel.sum_arrays == 2 ? total_1 - total_2 : total_1;
}

// The call's steps from the first allocation to the host reduction; the buffers are freed on the
// way out, whichever step it leaves from.
double measure_on_device(const MeasureCall& call, const MeasureKernel& kernel) {
    const int pixel_count = call.width * call.height;
    const std::size_t pixels = static_cast<std::size_t>(pixel_count);
    const int sum_count = static_cast<int>(kernel.grid.x * kernel.grid.y);
    const std::size_t sums = static_cast<std::size_t>(sum_count);
    const bool bytes = takes_bytes(call);
    const bool two_sums = kernel.sum_arrays == 2;
    const cudaStream_t stream = work_stream(call);

    DeviceBuffer<unsigned char> d_bytes;
    DeviceBuffer<double> d_image;
    DeviceBuffer<double> d_sums_1;
    DeviceBuffer<double> d_sums_2;
    PageLockedBuffer<unsigned char> h_staging;
    PageableBuffer<double> h_sums_1;
    PageableBuffer<double> h_sums_2;
    WaitForIssuedWork wait_for_issued_work(stream);

    if (bytes && !d_bytes.allocate(pixels)) return failed_measure();
    if (!d_image.allocate(pixels)) return failed_measure();
    if (!d_sums_1.allocate(sums)) return failed_measure();
    if (two_sums && !d_sums_2.allocate(sums)) return failed_measure();
    if (bytes && !h_staging.allocate(pixels)) return failed_measure();
    if (!h_sums_1.allocate(sums)) return failed_measure();
    if (two_sums && !h_sums_2.allocate(sums)) return failed_measure();

    if (bytes) {
        if (!copy(call, h_staging.get(), call.pixels, pixels, cudaMemcpyHostToHost))
            return failed_measure();
        if (!copy(call, d_bytes.get(), h_staging.get(), pixels, cudaMemcpyHostToDevice))
            return failed_measure();
        if (!launched(launch_normalisation(d_image.get(), d_bytes.get(), pixel_count, stream),
                      "Normalizar_Kernel"))
            return failed_measure();
    } else {
        if (!copy(call, d_image.get(), call.pixels, sizeof(double) * pixels,
                  cudaMemcpyHostToDevice))
            return failed_measure();
    }

    if (!is_empty_grid(kernel.grid)) {
        const cudaLaunchConfig_t config = launch_config(
            kernel.grid, kernel.block, kernel.sum_arrays * kBlockThreads * sizeof(double), stream);
        const KernelBuffers buffers{d_image.get(), {d_sums_1.get(), d_sums_2.get()}};
        if (!launched(kernel.launch(&config, buffers, call.width, call.height), kernel.name))
            return failed_measure();
    }

    const std::size_t sums_bytes = sizeof(double) * sums;
    if (!copy(call, h_sums_1.get(), d_sums_1.get(), sums_bytes, cudaMemcpyDeviceToHost))
        return failed_measure();
    if (two_sums && !copy(call, h_sums_2.get(), d_sums_2.get(), sums_bytes, cudaMemcpyDeviceToHost))
        return failed_measure();
    // The host reduction reads what the device work wrote, and the buffers may only go once that
    // work is done: a blocking download waits for it, otherwise the call waits here.
    const bool download_waited = !on_callers_stream(call) && sum_count > 0;
    if (!download_waited && !ok(cudaStreamSynchronize(stream), "cudaStreamSynchronize"))
        return failed_measure();
    wait_for_issued_work.finished();

    const HostImage image{h_staging.get(),
                          bytes ? nullptr : reinterpret_cast<const double*>(call.pixels),
                          call.width, call.height};
    double* const h_sums[2] = {h_sums_1.get(), h_sums_2.get()};
    return reduce_on_host(call, kernel, image, h_sums, sum_count);
}

}  // namespace

double run_measure(const MeasureCall& call, DescribeMeasureKernel describe) {
    start_measure_call();
    if (call.width < 1 || call.height < 1) {
        return 0.0;
    }
    if (!pixel_count_fits(call.width, call.height)) {
        return failed_measure();
    }
    const double value = measure_on_device(call, describe(call.width, call.height));
    // A buffer that could not be freed fails the call too.
    return measure_call_failed() ? failed_measure() : value;
}

}  // namespace bestfocus
