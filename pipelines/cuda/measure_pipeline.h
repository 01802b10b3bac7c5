// The sequence every windowed or element-wise focus measure runs through, written once.
//
// A measure describes its kernel for a given image size (name, grid, block, one or two
// partial-sum arrays, terms the host adds itself) and how to launch it; run_measure does the
// rest for each way of receiving the image:
//
//   allocate -> upload (8-bit: caller -> page-locked staging -> device, then Normalizar_Kernel)
//   -> measure kernel -> partial sums to the host -> host reduction -> free.
//
// A new measure's kernel file (measures/<name>/<name>.cu) holds its kernel (each thread stores its
// term in shared_memory<double>() and the block ends with reduce_block_sum), a launch function
// passing the kernel's arguments, a describe function, and its entry points from
// BESTFOCUS_MEASURE_ENTRY_POINTS (below), as measures/laplacian/laplacian.cu does.
//
// Every runtime call is checked. On a failure nothing further is issued, the work already issued
// is waited for, every buffer is freed, the failed call is noted (measure_failure.h) and the
// result is a quiet NaN.
#pragma once

#include <cuda_runtime.h>

#include <limits>

#include "pixel_limit.h"

namespace bestfocus {

// How a measure function received its image.
enum class ImageInput {
    Doubles,        // _GPU: width*height doubles, used as they are
    Bytes,          // _GPU_uchar: width*height bytes, normalised to byte / 255.0 on the device
    BytesOnStream,  // _GPU_uchar_Stream: as Bytes, every operation on the caller's stream
};

// The arguments of one measure-function call.
struct MeasureCall {
    ImageInput input;
    const unsigned char* pixels;
    int width;
    int height;
    int host_threads;
    cudaStream_t stream;  // the caller's stream for BytesOnStream; unused otherwise
};

// The device buffers a measure kernel works on.
struct KernelBuffers {
    double* d_image;    // width*height doubles: normalised bytes or the caller's doubles
    double* d_sums[2];  // partial-sum arrays, one double per block; d_sums[1] for two sums only
};

// The image as the host sees it, for terms the host adds itself; pixel values equal the device's.
struct HostImage {
    const unsigned char* bytes;  // 8-bit input: the page-locked staging copy, else nullptr
    const double* doubles;       // double input: the caller's doubles, else nullptr
    int width;
    int height;
};

inline double host_pixel(const HostImage& image, long long index) {
    return image.bytes != nullptr ? image.bytes[index] / 255.0 : image.doubles[index];
}

struct MeasureKernel {
    const char* name;  // the kernel's, for the failure of its launch
    dim3 grid;
    dim3 block;      // every block of the kernel stores its total in every partial-sum array
    int sum_arrays;  // 1: the result is the total; 2: total 1 - total 2. One shared double per
                     // thread and array.
    // Launches the kernel with config (grid, block, shared bytes and stream already set).
    cudaError_t (*launch)(const cudaLaunchConfig_t* config, const KernelBuffers& buffers, int width,
                          int height);
    // Terms the host adds to total 1 after the partial sums, host_term(image, k) for
    // 0 <= k < host_term_count; none when the count is 0.
    long long host_term_count;
    double (*host_term)(const HostImage& image, long long k);
};

// The kernel a measure runs on an image of width x height (both at least 1, width * height
// within int).
using DescribeMeasureKernel = MeasureKernel (*)(int width, int height);

// Runs the measure described by describe(width, height) on the call's image. An image without
// pixels gives 0.0 (every sum is empty) and one too large for the 32-bit counts NaN, neither
// touching the runtime; otherwise NaN if a runtime call or an allocation failed.
double run_measure(const MeasureCall& call, DescribeMeasureKernel describe);

// The result of a measure whose runtime call or allocation failed.
inline double failed_measure() { return std::numeric_limits<double>::quiet_NaN(); }

// Runs the measure described by `describe`: what an entry point calls for a measure that needs
// nothing before run_measure.
template <DescribeMeasureKernel describe>
double run_described_measure(const MeasureCall& call) {
    return run_measure(call, describe);
}

}  // namespace bestfocus

// Defines a measure's three entry points, funcion_<stem>_GPU (doubles), funcion_<stem>_GPU_uchar
// (bytes) and funcion_<stem>_GPU_uchar_Stream (bytes on the caller's stream), each handing its
// call to `measure`, a double (const bestfocus::MeasureCall&).
#define BESTFOCUS_MEASURE_ENTRY_POINTS(stem, measure)                                             \
    double funcion_##stem##_GPU(const unsigned char* pixels, int width, int height,               \
                                int host_threads) {                                               \
        return measure(                                                                           \
            {bestfocus::ImageInput::Doubles, pixels, width, height, host_threads, nullptr});      \
    }                                                                                             \
    double funcion_##stem##_GPU_uchar(const unsigned char* pixels, int width, int height,         \
                                      int host_threads) {                                         \
        return measure(                                                                           \
            {bestfocus::ImageInput::Bytes, pixels, width, height, host_threads, nullptr});        \
    }                                                                                             \
    double funcion_##stem##_GPU_uchar_Stream(const unsigned char* pixels, int width, int height,  \
                                             int host_threads, CUstream_st* stream) {             \
        return measure(                                                                           \
            {bestfocus::ImageInput::BytesOnStream, pixels, width, height, host_threads, stream}); \
    }
