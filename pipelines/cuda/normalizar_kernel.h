// Widening of an 8-bit image to doubles in [0, 1] on the device.
#pragma once

#include <cuda_runtime.h>

// out[i] = in[i] / 255.0 for 0 <= i < n.
// Launch: iDivUp(n, 1024) x 1 x 1 blocks of 1024 x 1 x 1 threads, no shared memory.
__global__ void Normalizar_Kernel(double* out, unsigned char* in, int n);

namespace bestfocus {

// Launches Normalizar_Kernel over the n pixels on stream (nothing for n = 0).
cudaError_t launch_normalisation(double* d_image, unsigned char* d_bytes, int n,
                                 cudaStream_t stream);

}  // namespace bestfocus
