// What only the tests call of the measures, as tables built from the measure list: each measure's
// stream entry point, and the further implementations of a measure the tool never calls.
#pragma once

#include <cstring>
#include <vector>

#include "measure_registry.h"

using namespace bestfocus;

// The stream variants: as the 8-bit one, on the caller's stream.
using StreamMeasure = double (*)(const unsigned char* pixels, int width, int height,
                                 int host_threads, CUstream_st* stream);

// The stream entry point of a listed measure.
inline StreamMeasure stream_entry_point(const MeasureEntry& measure) {
#define BESTFOCUS_STREAM_ROW(listed_code, name, short_name, long_name, stem) \
    if (measure.code == listed_code) return funcion_##stem##_GPU_uchar_Stream;
    BESTFOCUS_MEASURE_LIST(BESTFOCUS_STREAM_ROW)
#undef BESTFOCUS_STREAM_ROW
    return nullptr;
}

// Further implementations of a listed measure: same contract, same value up to rounding.
struct MeasureVariant {
    const char* name;
    int code;              // the measure it computes
    PlainMeasure doubles;  // width*height doubles through the pixel pointer
};

inline const std::vector<MeasureVariant>& extra_measure_variants() {
    static const std::vector<MeasureVariant> variants = {
        {"vollath-f4-full-buffer", 1, funcion_VollathF4_GPU},
    };
    return variants;
}
