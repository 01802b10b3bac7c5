// The last stage of every measure: a team of host threads adds the per-block partial sums.
//
// A measure opens one parallel region of host_team_size(threads) threads and calls these inside
// it. Each work-sharing loop uses the static schedule (contiguous ranges, the first count mod T
// threads take one extra), adds in ascending index order into a private sum, and ends without a
// barrier so that the thread can merge its private sum into the shared total at once.
#pragma once

#include <omp.h>

namespace bestfocus {

// Team size of the host reduction; counts below 1 run on one thread.
inline int host_team_size(int host_threads) { return host_threads < 1 ? 1 : host_threads; }

// Inside a parallel region: the calling thread's sum of its share of values[0 .. count).
inline double sum_own_share(const double* values, int count) {
    double sum = 0.0;
#pragma omp for schedule(static) nowait
    for (int j = 0; j < count; ++j) {
        sum = values[j] + sum;
    }
    return sum;
}

// Inside a parallel region: the calling thread's sum of term(k) over its share of 0 .. count.
template <class Term>
double sum_own_share_of_terms(long long count, Term term) {
    double sum = 0.0;
#pragma omp for schedule(static) nowait
    for (long long k = 0; k < count; ++k) {
        sum = term(k) + sum;
    }
    return sum;
}

// Inside a parallel region, reached by every thread of the team: runs merge() on each thread in
// turn, thread 0 first, one at a time. Merging private sums in thread order rather than in the
// order the threads finish makes a measure give the same bits on every call with the same team
// size: equal images get equal values, so the first of them stays the sharpest.
template <class Merge>
void merge_in_thread_order(Merge merge) {
    const int team = omp_get_num_threads();
#pragma omp for ordered schedule(static, 1)
    for (int t = 0; t < team; ++t) {
#pragma omp ordered
        merge();
    }
}

// Inside a parallel region, reached by every thread: adds each thread's private sum into the
// shared total, in thread order.
inline void merge_into(double* total, double private_sum) {
    merge_in_thread_order([&] { *total += private_sum; });
}

}  // namespace bestfocus
