#include "focus_methods.h"

#include "measures.h"

namespace {

struct FocusMethod {
    const char* name;
    MeasureFunction measure;
};

// Method code c is entry c - 1.
constexpr FocusMethod kFocusMethods[] = {
    {"Vollath F4", funcion_VollathF4_MemEficient_GPU_uchar},
    {"MDCT", funcion_MDCT_GPU_uchar},
    {"Tenengrad", funcion_TEN_GPU_uchar},
    {"Laplaciano", funcion_LAP_GPU_uchar},
};

}  // namespace

int method_count() { return static_cast<int>(sizeof kFocusMethods / sizeof kFocusMethods[0]); }

MeasureFunction method_measure(int method) { return kFocusMethods[method - 1].measure; }

const char* method_name(int method) { return kFocusMethods[method - 1].name; }
