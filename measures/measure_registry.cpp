#include "measure_registry.h"

#include <vector>

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

bool measure_can_score(const MeasureEntry& measure, int width, int height) {
    const TermRows terms = measure.row_sums().terms(width, height);
    const long long count = static_cast<long long>(terms.rows) * terms.terms_per_row;
    // Many terms: every measure can score. A few: measured on pixels of no pattern (a fixed
    // pseudo-random sequence), where 0 means 0 whatever the pixels.
    constexpr long long kManyTerms = 16;
    if (count == 0 || count >= kManyTerms) return count > 0;
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height);
    std::uint32_t state = 12345;
    for (unsigned char& pixel : pixels) {
        state = state * 1664525u + 1013904223u;
        pixel = static_cast<unsigned char>(state >> 24);
    }
    return measure.cpu(pixels.data(), width, height, width, 1) != 0;
}

}  // namespace bestfocus
