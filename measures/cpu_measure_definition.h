// What a measure's <name>_cpu.cpp expands to make it a CPU engine measure: its row sums compiled
// for AVX2 and for the baseline, for 8- and 16-bit pixels, and the CPU engine's two functions
// (cpu_measures.h) over them. The measure's rows header defines, in namespace bestfocus,
//   template <class Pixel> Total name##_rows(image, row_stride, width, height, first_row, end_row)
//   TermRows name##_terms(int width, int height)
//   constexpr long long name##_largest_response(long long max_pixel), name##_largest_term(...)
//   constexpr int name##_pixel_power   (a score is the total over max_pixel^name##_pixel_power)
// and the last two are checked here against the types the row sums compute in (pixel_traits.h).
//
// A measure whose score combines several exact sums (BESTFOCUS_CPU_SUMS_MEASURE) defines instead
//   template <class Pixel> ExactSums name##_rows(image, row_stride, width, height, first, end)
//   TermRows name##_terms(int width, int height)
//   ExactRatio name##_score(const ExactSums& sums, long long pixel_count, long long max_pixel)
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

#define BESTFOCUS_CPU_SUMS_ROWS(name, target, suffix, Pixel)                                   \
    target ExactSums name##_sums_##suffix(const Pixel* image, std::ptrdiff_t row_stride,       \
                                          int width, int height, int first_row, int end_row) { \
        return name##_rows(image, row_stride, width, height, first_row, end_row);              \
    }

// Each term of a term row: the row sums of its one anchor, a term that fits 64 bits (checked by
// fits_pixel_traits), with no dispatch or 128-bit sums between the anchors.
#define BESTFOCUS_CPU_TERMS_OF_ROW(name, target, suffix, Pixel)                       \
    target void name##_terms_##suffix(const Pixel* image, std::ptrdiff_t row_stride,  \
                                      int term_width, int height, int y, int anchors, \
                                      long long* terms) {                             \
        for (int x = 0; x < anchors; ++x) {                                           \
            terms[x] = static_cast<long long>(                                        \
                name##_rows(image + x, row_stride, term_width, height, y, y + 1));    \
        }                                                                             \
    }

// A single total as the first of a measure's sums, for images measured in bands.
#define BESTFOCUS_CPU_TOTAL_AS_SUMS(name, suffix, Pixel)                                     \
    ExactSums name##_sums_##suffix(const Pixel* image, std::ptrdiff_t row_stride, int width, \
                                   int height, int first_row, int end_row) {                 \
        ExactSums sums;                                                                      \
        sums.values[0] =                                                                     \
            name##_rows_##suffix(image, row_stride, width, height, first_row, end_row);      \
        return sums;                                                                         \
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
    BESTFOCUS_CPU_TOTAL_AS_SUMS(name, avx2_8bit, std::uint8_t)                                  \
    BESTFOCUS_CPU_TOTAL_AS_SUMS(name, baseline_8bit, std::uint8_t)                              \
    BESTFOCUS_CPU_TOTAL_AS_SUMS(name, avx2_16bit, std::uint16_t)                                \
    BESTFOCUS_CPU_TOTAL_AS_SUMS(name, baseline_16bit, std::uint16_t)                            \
    BESTFOCUS_CPU_TERMS_OF_ROW(name, BESTFOCUS_AVX2_TARGET, avx2_8bit, std::uint8_t)            \
    BESTFOCUS_CPU_TERMS_OF_ROW(name, , baseline_8bit, std::uint8_t)                             \
    BESTFOCUS_CPU_TERMS_OF_ROW(name, BESTFOCUS_AVX2_TARGET, avx2_16bit, std::uint16_t)          \
    BESTFOCUS_CPU_TERMS_OF_ROW(name, , baseline_16bit, std::uint16_t)                           \
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
        return {rows_for_this_machine(name##_sums_avx2_8bit, name##_sums_baseline_8bit),        \
                rows_for_this_machine(name##_sums_avx2_16bit, name##_sums_baseline_16bit),      \
                name##_terms,                                                                   \
                total_over_max_pixel_power<name##_pixel_power>,                                 \
                name##_pixel_power,                                                             \
                rows_for_this_machine(name##_terms_avx2_8bit, name##_terms_baseline_8bit),      \
                rows_for_this_machine(name##_terms_avx2_16bit, name##_terms_baseline_16bit),    \
                name##_largest_term};                                                           \
    }                                                                                           \
    }

// A measure of several exact sums: its row sums compiled as above, its score a fraction of them.
#define BESTFOCUS_CPU_SUMS_MEASURE(name)                                                   \
    namespace bestfocus {                                                                  \
    namespace {                                                                            \
    BESTFOCUS_CPU_SUMS_ROWS(name, BESTFOCUS_AVX2_TARGET, avx2_8bit, std::uint8_t)          \
    BESTFOCUS_CPU_SUMS_ROWS(name, , baseline_8bit, std::uint8_t)                           \
    BESTFOCUS_CPU_SUMS_ROWS(name, BESTFOCUS_AVX2_TARGET, avx2_16bit, std::uint16_t)        \
    BESTFOCUS_CPU_SUMS_ROWS(name, , baseline_16bit, std::uint16_t)                         \
    }                                                                                      \
    double cpu_##name(const unsigned char* pixels, int width, int height,                  \
                      std::ptrdiff_t row_stride, int threads) {                            \
        return measure_sums_exactly<std::uint8_t>(                                         \
            rows_for_this_machine(name##_sums_avx2_8bit, name##_sums_baseline_8bit),       \
            name##_terms(width, height), name##_score, pixels, width, height, row_stride,  \
            threads);                                                                      \
    }                                                                                      \
    double cpu_##name##_16(const std::uint16_t* pixels, int width, int height,             \
                           std::ptrdiff_t row_stride, int threads) {                       \
        return measure_sums_exactly<std::uint16_t>(                                        \
            rows_for_this_machine(name##_sums_avx2_16bit, name##_sums_baseline_16bit),     \
            name##_terms(width, height), name##_score, pixels, width, height, row_stride,  \
            threads);                                                                      \
    }                                                                                      \
    CpuRowSums cpu_row_sums_##name() {                                                     \
        return {rows_for_this_machine(name##_sums_avx2_8bit, name##_sums_baseline_8bit),   \
                rows_for_this_machine(name##_sums_avx2_16bit, name##_sums_baseline_16bit), \
                name##_terms, name##_score, 0};                                            \
    }                                                                                      \
    }
