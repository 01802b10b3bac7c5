// Run-time choice of instruction set for the row-sum loops. On x86-64 with GCC or Clang every
// measure's row sums are compiled twice (cpu_measure_definition.h), once for AVX2 and once for
// the baseline (SSE2); the loops are plain C++ the vectoriser turns into SIMD code, forced inline
// so that they are compiled for each target. The AVX2 version runs where the processor has AVX2,
// unless the environment variable BESTFOCUS_CPU_BASELINE is "1", which keeps the baseline version
// for the whole run (so that the tests can check it on any machine).
#pragma once

#if defined(__x86_64__) && defined(__GNUC__)
#define BESTFOCUS_AVX2_TARGET __attribute__((target("avx2")))
#else
#define BESTFOCUS_AVX2_TARGET
#endif

#define CPU_ENGINE_INLINE inline __attribute__((always_inline))

namespace bestfocus {

// Whether the row sums run their AVX2 version; decided once, on the first call.
bool avx2_rows_chosen();

// The version of a measure's row sums this run uses.
template <class RowSums>
RowSums rows_for_this_machine(RowSums avx2, RowSums baseline) {
    return avx2_rows_chosen() ? avx2 : baseline;
}

}  // namespace bestfocus
