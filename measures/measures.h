// Focus measures computed by CUDA kernels in double precision: the measure functions, three
// variants of every measure of the list.
//
// Every measure function takes (pixels, width, height, host threads[, stream]) and returns the
// focus value: larger is sharper. Width comes before height; rows are back to back (stride =
// width). The 8-bit variants (_GPU_uchar, _GPU_uchar_Stream) read width*height bytes; the
// double-input variants (_GPU) read width*height doubles through the same pointer. A call
// allocates and frees all it needs and keeps nothing, so several host threads may call at once.
// A failed CUDA runtime call gives a quiet NaN (an 8-bit image never gives NaN otherwise), and
// last_measure_failure() (measure_failure.h) then names the call and the runtime's error.
//
// Each measure's formula is stated at the top of its kernel's file, measures/<name>/<name>.cu.
//
// The kernel engine measures with exact kernels instead (kernel_<name>, below), from the same
// term functions.
#pragma once

#include <cstdint>

#include "idivup.h"
#include "measure_list.h"

struct CUstream_st;

#define BESTFOCUS_DECLARE_ENTRY_POINTS(code, name, short_name, long_name, stem)                  \
    double funcion_##stem##_GPU(const unsigned char* pixels, int width, int height,              \
                                int host_threads);                                               \
    double funcion_##stem##_GPU_uchar(const unsigned char* pixels, int width, int height,        \
                                      int host_threads);                                         \
    double funcion_##stem##_GPU_uchar_Stream(const unsigned char* pixels, int width, int height, \
                                             int host_threads, CUstream_st* stream);
BESTFOCUS_MEASURE_LIST(BESTFOCUS_DECLARE_ENTRY_POINTS)
#undef BESTFOCUS_DECLARE_ENTRY_POINTS

// Vollath F4 through full-size intermediate images (shifted copies and products); double input
// only. Same value as funcion_VollathF4_MemEficient_GPU up to rounding.
double funcion_VollathF4_GPU(const unsigned char* pixels, int width, int height, int host_threads);

namespace bestfocus {

// The kernel engine's measures: exact kernels on width * height pixels, rows back to back, 8-bit
// (kernel_<name>) or 16-bit (kernel_<name>_16). Each term is computed from the integer pixels in
// 64-bit integers, and the total, over 255^2 or 65535^2, is divided once as the CPU engine divides:
// the same bits as cpu_<name> (cpu_measures.h). host_threads add the blocks' sums. A failed runtime
// call gives a quiet NaN, as in the entry points above.
#define BESTFOCUS_DECLARE_EXACT_KERNEL_MEASURES(code, name, short_name, long_name, stem)        \
    double kernel_##name(const unsigned char* pixels, int width, int height, int host_threads); \
    double kernel_##name##_16(const std::uint16_t* pixels, int width, int height, int host_threads);
BESTFOCUS_MEASURE_LIST(BESTFOCUS_DECLARE_EXACT_KERNEL_MEASURES)
#undef BESTFOCUS_DECLARE_EXACT_KERNEL_MEASURES

}  // namespace bestfocus
