// Splits a measure's term rows into contiguous bands, one per thread of a team, and adds the
// bands' exact sums. Integer addition is associative, so the total is the same for every split.
#pragma once

#include <omp.h>

#include <algorithm>

// Calls band_sum(first_row, end_row) over bands that cover 0 <= y < rows exactly once, on the
// calling thread alone for threads <= 1, else on a nested team of at most `threads` threads
// (never more threads than rows). Returns the sum of the bands' results.
template <class BandSum>
long long sum_over_row_bands(int rows, int threads, BandSum band_sum) {
    const int team = std::min(threads, rows);
    if (team <= 1) {
        return band_sum(0, rows);
    }
    long long total = 0;
#pragma omp parallel num_threads(team) reduction(+ : total)
    {
        // The runtime may give fewer threads than asked (nesting off, a thread limit): the bands
        // follow the team actually made.
        const long long members = omp_get_num_threads();
        const long long member = omp_get_thread_num();
        const int first_row = static_cast<int>(rows * member / members);
        const int end_row = static_cast<int>(rows * (member + 1) / members);
        total += band_sum(first_row, end_row);
    }
    return total;
}
