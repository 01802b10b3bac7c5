// Splits a measure's term rows into contiguous bands, one per thread of a team, and adds the
// bands' exact sums. Integer addition is associative, so the total is the same for every split.
#pragma once

#include <omp.h>

#include <algorithm>

#include "exact_score.h"

namespace bestfocus {

// Several sums are added by a team as one: each sum over the bands.
#pragma omp declare reduction(+ : ExactSums : omp_out += omp_in) initializer(omp_priv = ExactSums())

// Terms below which another thread costs more to wake than it saves: 65536 terms take one thread
// some 10 to 20 microseconds (2048 x 2048 take 0.5 to 1 ms), no more than waking a sleeping team
// thread can cost.
constexpr long long kMinTermsPerThread = 65536;

// Calls band_sum(first_row, end_row) over bands that cover 0 <= y < rows exactly once and returns
// the sum of the results. The bands run on a nested team of at most `threads` threads, fewer when
// the image is too small to keep them busy (terms_per_row terms per row): one band on the calling
// thread when that leaves one thread. The sum has the integer type band_sum returns.
template <class BandSum>
auto sum_over_row_bands(int rows, long long terms_per_row, int threads, BandSum band_sum) {
    using Total = decltype(band_sum(0, 0));
    const long long useful = rows * terms_per_row / kMinTermsPerThread;
    const int team = static_cast<int>(std::min<long long>({threads, rows, useful}));
    if (team <= 1) {
        return band_sum(0, rows);
    }
    Total total{};
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

}  // namespace bestfocus
