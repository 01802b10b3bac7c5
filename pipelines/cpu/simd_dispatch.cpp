#include "simd_dispatch.h"

#include <cstdlib>
#include <cstring>

namespace bestfocus {

namespace {

// Only the exact value "1" forces the baseline: anything else leaves the choice to the processor.
bool baseline_forced() {
    const char* value = std::getenv("BESTFOCUS_CPU_BASELINE");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

}  // namespace

bool avx2_rows_chosen() {
#if defined(__x86_64__) && defined(__GNUC__)
    static const bool avx2 = __builtin_cpu_supports("avx2") && !baseline_forced();
    return avx2;
#else
    return false;
#endif
}

}  // namespace bestfocus
