// The focus measures the tool offers: one line each, the only list of them. Everything that
// handles "every measure" expands it: the declarations of the measures' entry points (measures.h)
// and of the CPU engine's functions (cpu_measures.h), the registry's rows, and the tables the
// tests and benchmarks iterate.
//
//   X(code, name, short name, long name, stem)
//
// code       the method code of the command line, from 1 upward in list order
// name       the measure's folder under measures/ and the stem of its C++ names: its CPU row sums
//            are name##_rows, the CPU engine's functions cpu_##name (8-bit) and cpu_##name##_16
// short name lower case, for file names and benchmark labels
// long name  as the usage text names it
// stem       of the entry points funcion_##stem##_GPU, _GPU_uchar and _GPU_uchar_Stream
//
// A new measure is its folder (its kernel with the entry points, its row sums, the one-line
// <name>_cpu.cpp that compiles them for the CPU engine, and the tests' <name>_test_facts.h and
// <name>_exact.py) and one line here.
#pragma once

#define BESTFOCUS_MEASURE_LIST(X)                                                               \
    X(1, vollath_f4, "vollath-f4", "Vollath F4", VollathF4_MemEficient)                         \
    X(2, mdct, "mdct", "MDCT", MDCT)                                                            \
    X(3, tenengrad, "tenengrad", "Tenengrad", TEN)                                              \
    X(4, laplacian, "laplacian", "Laplacian", LAP)                                              \
    X(5, brenner, "brenner", "Brenner", Brenner)                                                \
    X(6, sum_modified_laplacian, "sum-modified-laplacian", "Sum-modified Laplacian", SML)       \
    X(7, gray_variance, "gray-variance", "Gray variance", GrayVariance)                         \
    X(8, normalized_variance, "normalized-variance", "Normalized variance", NormalizedVariance) \
    X(9, vollath_f5, "vollath-f5", "Vollath F5", VollathF5)                                     \
    X(10, tenengrad_variance, "tenengrad-variance", "Tenengrad variance", TenengradVariance)
