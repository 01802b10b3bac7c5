#include "idivup.h"
#include "launch.h"
#include "normalizar_kernel.h"

__global__ void Normalizar_Kernel(double* out, unsigned char* in, int n) {
    const long long i = blockIdx.x * blockDim.x + threadIdx.x;
    if (i < n) {
        out[i] = in[i] / 255.0;
    }
}

namespace bestfocus {

cudaError_t launch_normalisation(double* d_image, unsigned char* d_bytes, int n,
                                 cudaStream_t stream) {
    return launch_kernel<Normalizar_Kernel>(dim3(iDivUp(n, kBlockThreads)), dim3(kBlockThreads), 0,
                                            stream, d_image, d_bytes, n);
}

}  // namespace bestfocus
