// What a measure's <name>_cpu.cpp expands to make it a CPU engine measure: its row sums compiled
// for AVX2 and for the baseline, for 8- and 16-bit pixels, and the CPU engine's two functions
// (cpu_measures.h) over them. The measure's rows header defines, in namespace bestfocus,
//   template <class Pixel> Total name##_rows(image, row_stride, width, height, first_row, end_row)
//   TermRows name##_terms(int width, int height)
//   constexpr long long name##_largest_response(long long max_pixel), name##_largest_term(...)
//   constexpr int name##_pixel_power   (a score is the total over max_pixel^name##_pixel_power)
// and the last two are checked here against the types the row sums compute in (pixel_traits.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "cpu_measures.h"
#include "measure_exactly.h"
#include "simd_dispatch.h"

#define BESTFOCUS_CPU_ROW_SUMS(name, target, suffix, Pixel)                                  \
    target PixelTraits<Pixel>::Total name##_rows_##suffix(                                   \
        const Pixel* image, std::ptrdiff_t row_stride, int width, int height, int first_row, \
        int end_row) {                                                                       \
        return name##_rows(image, row_stride, width, height, first_row, end_row);            \
    }

#define BESTFOCUS_CPU_MEASURE(name)                                                             \
    namespace bestfocus {                                                                       \
    static_assert(fits_pixel_traits<std::uint8_t>(name##_largest_response(255),                 \
                                                  name##_largest_term(255)),                    \
                  #name "'s 8-bit responses or terms overflow their types");                    \
    static_assert(fits_pixel_traits<std::uint16_t>(name##_largest_response(65535),              \
                                                   name##_largest_term(65535)),                 \
                  #name "'s 16-bit responses or terms overflow their types");                   \
    namespace {                                                                                 \
    BESTFOCUS_CPU_ROW_SUMS(name, BESTFOCUS_AVX2_TARGET, avx2_8bit, std::uint8_t)                \
    BESTFOCUS_CPU_ROW_SUMS(name, , baseline_8bit, std::uint8_t)                                 \
    BESTFOCUS_CPU_ROW_SUMS(name, BESTFOCUS_AVX2_TARGET, avx2_16bit, std::uint16_t)              \
    BESTFOCUS_CPU_ROW_SUMS(name, , baseline_16bit, std::uint16_t)                               \
    }                                                                                           \
    double cpu_##name(const unsigned char* pixels, int width, int height,                       \
                      std::ptrdiff_t row_stride, int threads) {                                 \
        return measure_exactly<std::uint8_t>(                                                   \
            rows_for_this_machine(name##_rows_avx2_8bit, name##_rows_baseline_8bit),            \
            name##_terms(width, height), name##_pixel_power, pixels, width, height, row_stride, \
            threads);                                                                           \
    }                                                                                           \
    double cpu_##name##_16(const std::uint16_t* pixels, int width, int height,                  \
                           std::ptrdiff_t row_stride, int threads) {                            \
        return measure_exactly<std::uint16_t>(                                                  \
            rows_for_this_machine(name##_rows_avx2_16bit, name##_rows_baseline_16bit),          \
            name##_terms(width, height), name##_pixel_power, pixels, width, height, row_stride, \
            threads);                                                                           \
    }                                                                                           \
    CpuRowSums cpu_row_sums_##name() {                                                          \
        return {rows_for_this_machine(name##_rows_avx2_8bit, name##_rows_baseline_8bit),        \
                rows_for_this_machine(name##_rows_avx2_16bit, name##_rows_baseline_16bit),      \
                name##_terms, name##_pixel_power};                                              \
    }                                                                                           \
    }
