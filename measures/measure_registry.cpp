#include "measure_registry.h"

namespace bestfocus {

const std::vector<MeasureEntry>& measure_registry() {
#define BESTFOCUS_REGISTRY_ROW(code, name, short_name, long_name, stem) \
    {code,                                                              \
     #name,                                                             \
     short_name,                                                        \
     long_name,                                                         \
     funcion_##stem##_GPU_uchar,                                        \
     funcion_##stem##_GPU,                                              \
     kernel_##name,                                                     \
     kernel_##name##_16,                                                \
     cpu_##name,                                                        \
     cpu_##name##_16,                                                   \
     cpu_row_sums_##name},
    static const std::vector<MeasureEntry> entries = {
        BESTFOCUS_MEASURE_LIST(BESTFOCUS_REGISTRY_ROW)};
#undef BESTFOCUS_REGISTRY_ROW
    return entries;
}

const MeasureEntry* find_measure(int code) {
    const std::vector<MeasureEntry>& entries = measure_registry();
    if (code < 1 || code > static_cast<int>(entries.size())) {
        return nullptr;
    }
    return &entries[static_cast<std::size_t>(code) - 1];
}

RegionSize smallest_measured_size(const MeasureEntry& measure) {
    // Windows are a few pixels wide: a long other side leaves only this one to find.
    constexpr int kLongSide = 64;
    RegionSize smallest{1, 1};
    const auto term_count = [&measure](int width, int height) {
        const TermRows terms = measure.row_sums().terms(width, height);
        return static_cast<long long>(terms.rows) * terms.terms_per_row;
    };
    while (term_count(smallest.width, kLongSide) == 0) ++smallest.width;
    while (term_count(kLongSide, smallest.height) == 0) ++smallest.height;
    return smallest;
}

}  // namespace bestfocus
