// Run-time choice of instruction set for the row-sum loops: on x86-64, GCC (and Clang) compile a
// function marked CPU_ENGINE_CLONES twice, once for AVX2 and once for the baseline (SSE2), and
// pick the version for the running processor when the program loads. The loops are plain C++ the
// vectoriser turns into SIMD code. The loops they call are forced inline so that they are
// compiled for each target too, not only for the baseline.
#pragma once

#if defined(__x86_64__) && defined(__GNUC__)
#define CPU_ENGINE_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define CPU_ENGINE_CLONES
#endif

#define CPU_ENGINE_INLINE inline __attribute__((always_inline))
