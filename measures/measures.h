// Focus measures computed by CUDA kernels in double precision.
//
// Every measure function takes (pixels, width, height, host threads[, stream]) and returns the
// focus value: larger is sharper. Width comes before height; rows are back to back (stride =
// width). The 8-bit variants (_GPU_uchar, _GPU_uchar_Stream) read width*height bytes; the
// double-input variants (_GPU) read width*height doubles through the same pointer. A call
// allocates and frees all it needs and keeps nothing, so several host threads may call at once.
// A failed CUDA runtime call gives a quiet NaN (an 8-bit image never gives NaN otherwise), and
// last_measure_failure() (measure_failure.h) then names the call and the runtime's error.
#pragma once

struct CUstream_st;

// Number of blocks of size b that cover a elements (a ceiling division; iDivUp(-1, 32) is 1).
int iDivUp(int a, int b);

double funcion_VollathF4_MemEficient_GPU(const unsigned char* pixels, int width, int height,
                                         int host_threads);
double funcion_VollathF4_MemEficient_GPU_uchar(const unsigned char* pixels, int width, int height,
                                               int host_threads);
double funcion_VollathF4_MemEficient_GPU_uchar_Stream(const unsigned char* pixels, int width,
                                                      int height, int host_threads,
                                                      CUstream_st* stream);

// Vollath F4 through full-size intermediate images (shifted copies and products); double input
// only. Same value as funcion_VollathF4_MemEficient_GPU up to rounding.
double funcion_VollathF4_GPU(const unsigned char* pixels, int width, int height, int host_threads);

// MDCT: sum over the 4 x 4 window anchors x < width - 4, y < height - 4 of the squared window sum
// under a +1/-1 sign pattern (the upper rows' left-minus-right minus the lower rows'). Images of
// width or height at most 4 give 0.0.
double funcion_MDCT_GPU(const unsigned char* pixels, int width, int height, int host_threads);
double funcion_MDCT_GPU_uchar(const unsigned char* pixels, int width, int height, int host_threads);
double funcion_MDCT_GPU_uchar_Stream(const unsigned char* pixels, int width, int height,
                                     int host_threads, CUstream_st* stream);

// Tenengrad: sum over every 3 x 3 window of the squared Sobel gradient magnitude Gx^2 + Gy^2.
// Images of width or height at most 2 give 0.0.
double funcion_TEN_GPU(const unsigned char* pixels, int width, int height, int host_threads);
double funcion_TEN_GPU_uchar(const unsigned char* pixels, int width, int height, int host_threads);
double funcion_TEN_GPU_uchar_Stream(const unsigned char* pixels, int width, int height,
                                    int host_threads, CUstream_st* stream);

// Laplacian energy: sum over every pixel off the border of its squared four-neighbour Laplacian.
// Images of width or height at most 2 give 0.0.
double funcion_LAP_GPU(const unsigned char* pixels, int width, int height, int host_threads);
double funcion_LAP_GPU_uchar(const unsigned char* pixels, int width, int height, int host_threads);
double funcion_LAP_GPU_uchar_Stream(const unsigned char* pixels, int width, int height,
                                    int host_threads, CUstream_st* stream);
