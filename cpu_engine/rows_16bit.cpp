#include "rows_16bit.h"

#include "laplacian_rows.h"
#include "mdct_rows.h"
#include "simd_dispatch.h"
#include "tenengrad_rows.h"
#include "vollath_f4_rows.h"

CPU_ENGINE_CLONES Int128 vollath_f4_rows_16bit(const std::uint16_t* image,
                                               std::ptrdiff_t row_stride, int width, int height,
                                               int first_row, int end_row) {
    return vollath_f4_rows(image, row_stride, width, height, first_row, end_row);
}

CPU_ENGINE_CLONES Int128 mdct_rows_16bit(const std::uint16_t* image, std::ptrdiff_t row_stride,
                                         int width, int /*height*/, int first_row, int end_row) {
    return mdct_rows(image, row_stride, width, first_row, end_row);
}

CPU_ENGINE_CLONES Int128 tenengrad_rows_16bit(const std::uint16_t* image, std::ptrdiff_t row_stride,
                                              int width, int /*height*/, int first_row,
                                              int end_row) {
    return tenengrad_rows(image, row_stride, width, first_row, end_row);
}

CPU_ENGINE_CLONES Int128 laplacian_rows_16bit(const std::uint16_t* image, std::ptrdiff_t row_stride,
                                              int width, int /*height*/, int first_row,
                                              int end_row) {
    return laplacian_rows(image, row_stride, width, first_row, end_row);
}
