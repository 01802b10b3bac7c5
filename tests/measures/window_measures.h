// The three window measures under test, each with its variants and its long double reference.
#pragma once

#include <ostream>
#include <vector>

#include "measures.h"
#include "window_measure_reference.h"

struct WindowMeasure {
    const char* name;
    int anchor_shortfall;  // image side minus window anchors on that side: 4 for MDCT, 2 otherwise
    ReferenceValue (*reference)(const std::vector<double>& image, int width, int height);
    double (*doubles)(const unsigned char* pixels, int width, int height, int host_threads);
    double (*uchar)(const unsigned char* pixels, int width, int height, int host_threads);
    double (*uchar_stream)(const unsigned char* pixels, int width, int height, int host_threads,
                           CUstream_st* stream);
};

inline const WindowMeasure kMdct = {
    "MDCT",
    4,
    mdct_reference,
    funcion_MDCT_GPU,
    funcion_MDCT_GPU_uchar,
    funcion_MDCT_GPU_uchar_Stream,
};
inline const WindowMeasure kTenengrad = {
    "Tenengrad",           2,
    tenengrad_reference,   funcion_TEN_GPU,
    funcion_TEN_GPU_uchar, funcion_TEN_GPU_uchar_Stream,
};
inline const WindowMeasure kLaplacian = {
    "Laplacian",           2,
    laplacian_reference,   funcion_LAP_GPU,
    funcion_LAP_GPU_uchar, funcion_LAP_GPU_uchar_Stream,
};

// For GoogleTest's messages about parameterised cases.
inline std::ostream& operator<<(std::ostream& out, const WindowMeasure& measure) {
    return out << measure.name;
}
