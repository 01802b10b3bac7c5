#include "rows_8bit.h"

#include "laplacian_rows.h"
#include "mdct_rows.h"
#include "simd_dispatch.h"
#include "tenengrad_rows.h"
#include "vollath_f4_rows.h"

CPU_ENGINE_CLONES long long vollath_f4_rows_8bit(const std::uint8_t* image,
                                                 std::ptrdiff_t row_stride, int width, int height,
                                                 int first_row, int end_row) {
    return vollath_f4_rows(image, row_stride, width, height, first_row, end_row);
}

CPU_ENGINE_CLONES long long mdct_rows_8bit(const std::uint8_t* image, std::ptrdiff_t row_stride,
                                           int width, int /*height*/, int first_row, int end_row) {
    return mdct_rows(image, row_stride, width, first_row, end_row);
}

CPU_ENGINE_CLONES long long tenengrad_rows_8bit(const std::uint8_t* image,
                                                std::ptrdiff_t row_stride, int width,
                                                int /*height*/, int first_row, int end_row) {
    return tenengrad_rows(image, row_stride, width, first_row, end_row);
}

CPU_ENGINE_CLONES long long laplacian_rows_8bit(const std::uint8_t* image,
                                                std::ptrdiff_t row_stride, int width,
                                                int /*height*/, int first_row, int end_row) {
    return laplacian_rows(image, row_stride, width, first_row, end_row);
}
