// Marks small formula functions that both the kernels and the CPU row sums call.
#pragma once

#ifdef __CUDACC__
#define BESTFOCUS_HOST_DEVICE __host__ __device__
#else
#define BESTFOCUS_HOST_DEVICE
#endif
