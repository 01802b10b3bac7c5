#include "measure_registry.h"

#include "cpu_engine.h"

const std::vector<MeasureEntry>& measure_registry() {
    static const std::vector<MeasureEntry> entries = {
        {1, "vollath-f4", "Vollath F4", funcion_VollathF4_MemEficient_GPU_uchar,
         funcion_VollathF4_MemEficient_GPU_uchar_Stream, funcion_VollathF4_MemEficient_GPU,
         cpu_vollath_f4, cpu_vollath_f4_16},
        {2, "mdct", "MDCT", funcion_MDCT_GPU_uchar, funcion_MDCT_GPU_uchar_Stream, funcion_MDCT_GPU,
         cpu_mdct, cpu_mdct_16},
        {3, "tenengrad", "Tenengrad", funcion_TEN_GPU_uchar, funcion_TEN_GPU_uchar_Stream,
         funcion_TEN_GPU, cpu_tenengrad, cpu_tenengrad_16},
        {4, "laplacian", "Laplacian", funcion_LAP_GPU_uchar, funcion_LAP_GPU_uchar_Stream,
         funcion_LAP_GPU, cpu_laplacian, cpu_laplacian_16},
    };
    return entries;
}

const MeasureEntry* find_measure(int code) {
    const std::vector<MeasureEntry>& entries = measure_registry();
    if (code < 1 || code > static_cast<int>(entries.size())) {
        return nullptr;
    }
    return &entries[static_cast<std::size_t>(code) - 1];
}

const std::vector<MeasureVariant>& extra_measure_variants() {
    static const std::vector<MeasureVariant> variants = {
        {"vollath-f4-full-buffer", 1, funcion_VollathF4_GPU},
    };
    return variants;
}
