#include "buffers.h"
#include "host_reduction.h"
#include "launch.h"
#include "measure_pipeline.h"
#include "normalizar_kernel.h"

namespace {

struct CallBuffers {
    Buffers owned;
    unsigned char* d_bytes;  // 8-bit input only
    KernelBuffers kernel;
    unsigned char* h_staging;  // 8-bit input only, page-locked
    double* h_sums[2];
};

bool takes_bytes(const MeasureCall& call) { return call.input != ImageInput::Doubles; }

// The stream all GPU work of the call goes to: the caller's, or the legacy default stream.
cudaStream_t work_stream(const MeasureCall& call) {
    return call.input == ImageInput::BytesOnStream ? call.stream : 0;
}

// A copy or memset of the call: asynchronous on the caller's stream in the stream variant,
// blocking on the default stream otherwise. Empty ones are not issued.
bool copy(const MeasureCall& call, void* dst, const void* src, std::size_t bytes,
          cudaMemcpyKind kind) {
    if (bytes == 0) {
        return true;
    }
    const cudaError_t status = call.input == ImageInput::BytesOnStream
                                   ? cudaMemcpyAsync(dst, src, bytes, kind, call.stream)
                                   : cudaMemcpy(dst, src, bytes, kind);
    return status == cudaSuccess;
}

bool zero(const MeasureCall& call, void* d_dst, std::size_t bytes) {
    if (bytes == 0) {
        return true;
    }
    const cudaError_t status = call.input == ImageInput::BytesOnStream
                                   ? cudaMemsetAsync(d_dst, 0, bytes, call.stream)
                                   : cudaMemset(d_dst, 0, bytes);
    return status == cudaSuccess;
}

bool allocate(const MeasureCall& call, const MeasureKernel& kernel, std::size_t pixel_count,
              std::size_t sums_bytes, CallBuffers* b) {
    const Memory host_sums =
        kernel.host_sums == HostSums::PageLocked ? Memory::PageLocked : Memory::Pageable;
    bool ok = true;
    if (takes_bytes(call)) {
        ok = allocate_buffer(&b->owned, Memory::Device, pixel_count, &b->d_bytes);
    }
    ok = ok && allocate_buffer(&b->owned, Memory::Device, sizeof(double) * pixel_count,
                               &b->kernel.d_image);
    for (int s = 0; s < kernel.sum_arrays; ++s) {
        ok = ok && allocate_buffer(&b->owned, Memory::Device, sums_bytes, &b->kernel.d_sums[s]);
    }
    if (takes_bytes(call)) {
        ok = ok && allocate_buffer(&b->owned, Memory::PageLocked, pixel_count, &b->h_staging);
    }
    for (int s = 0; s < kernel.sum_arrays; ++s) {
        ok = ok && allocate_buffer(&b->owned, host_sums, sums_bytes, &b->h_sums[s]);
    }
    return ok;
}

// Brings the image to the device as doubles: 8-bit input through the staging buffer and
// Normalizar_Kernel, double input by one copy.
bool upload(const MeasureCall& call, int pixel_count, const CallBuffers& b) {
    const std::size_t bytes = static_cast<std::size_t>(pixel_count);
    if (!takes_bytes(call)) {
        return copy(call, b.kernel.d_image, call.pixels, sizeof(double) * bytes,
                    cudaMemcpyHostToDevice);
    }
    return copy(call, b.h_staging, call.pixels, bytes, cudaMemcpyHostToHost) &&
           copy(call, b.d_bytes, b.h_staging, bytes, cudaMemcpyHostToDevice) &&
           launch_normalisation(b.kernel.d_image, b.d_bytes, pixel_count, work_stream(call)) ==
               cudaSuccess;
}

bool launch_measure_kernel(const MeasureCall& call, const MeasureKernel& kernel,
                           const CallBuffers& b) {
    if (is_empty_grid(kernel.grid)) {
        return true;
    }
    const cudaLaunchConfig_t config =
        launch_config(kernel.grid, kernel.block, kernel.shared_bytes, work_stream(call));
    return kernel.launch(&config, b.kernel, call.width, call.height) == cudaSuccess;
}

// Host reduction: the team adds the partial sums (with two arrays, each thread merges both of its
// sums in one turn), then the host terms into total 1. The merges end with a barrier.
double reduce_on_host(const MeasureCall& call, const MeasureKernel& kernel, int sum_count,
                      const CallBuffers& b) {
    const HostImage image{
        b.h_staging, takes_bytes(call) ? nullptr : reinterpret_cast<const double*>(call.pixels),
        call.width, call.height};
    double total_1 = 0.0;
    double total_2 = 0.0;
#pragma omp parallel num_threads(host_team_size(call.host_threads))
    {
        const double own_1 = sum_own_share(b.h_sums[0], sum_count);
        if (kernel.sum_arrays == 2) {
            const double own_2 = sum_own_share(b.h_sums[1], sum_count);
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

}  // namespace

double run_measure(const MeasureCall& call, DescribeMeasureKernel describe) {
    if (call.width < 1 || call.height < 1) {
        return 0.0;
    }
    if (!pixel_count_fits_int(call.width, call.height)) {
        return failed_measure();
    }
    const MeasureKernel kernel = describe(call.width, call.height);
    const int pixel_count = call.width * call.height;
    const int sum_count = static_cast<int>(kernel.grid.x * kernel.grid.y);
    const std::size_t sums_bytes = sizeof(double) * static_cast<std::size_t>(sum_count);

    CallBuffers b = {no_buffers(), nullptr, {nullptr, {nullptr, nullptr}}, nullptr, {}};
    bool ok = allocate(call, kernel, static_cast<std::size_t>(pixel_count), sums_bytes, &b);
    for (int s = 0; s < kernel.sum_arrays && kernel.zero_device_sums; ++s) {
        ok = ok && zero(call, b.kernel.d_sums[s], sums_bytes);
    }
    ok = ok && upload(call, pixel_count, b) && launch_measure_kernel(call, kernel, b);
    for (int s = 0; s < kernel.sum_arrays; ++s) {
        ok = ok && copy(call, b.h_sums[s], b.kernel.d_sums[s], sums_bytes, cudaMemcpyDeviceToHost);
    }
    // The host reduction reads what the device work wrote, and the buffers may only go once that
    // work is done: a blocking download waits for it, otherwise the call waits here.
    const bool download_waited = call.input != ImageInput::BytesOnStream && sum_count > 0;
    if (!download_waited) {
        ok = ok && cudaStreamSynchronize(work_stream(call)) == cudaSuccess;
    }

    double result = failed_measure();
    if (ok) {
        result = reduce_on_host(call, kernel, sum_count, b);
    } else {
        // Work issued before the failure may still use the buffers; its status no longer
        // matters, the result is NaN either way.
        (void)cudaStreamSynchronize(work_stream(call));
    }
    if (!release_buffers(&b.owned)) {
        result = failed_measure();
    }
    return result;
}
