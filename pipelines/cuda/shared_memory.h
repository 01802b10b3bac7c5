// The dynamic shared memory of the calling thread's block, as an array of T.
//
// This is the one place where the measure code differs between the two builds: nvcc names the
// block's dynamic shared memory with `extern __shared__`, the CPU build asks cuda_on_cpu for it.
#pragma once

#include <cuda_runtime.h>

namespace bestfocus {

template <class T>
__device__ __forceinline__ T* shared_memory() {
#ifdef __CUDACC__
    // One byte array for every T, so that all instantiations agree on the declaration.
    extern __shared__ __align__(16) unsigned char dynamic_shared_bytes[];
    return reinterpret_cast<T*>(dynamic_shared_bytes);
#else
    return static_cast<T*>(cuda_on_cpu::dynamic_shared_memory());
#endif
}

}  // namespace bestfocus
