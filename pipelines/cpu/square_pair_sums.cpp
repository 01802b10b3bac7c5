#include "square_pair_sums.h"

#include "simd_dispatch.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace bestfocus {

namespace {

SquarePairSums plain_sums(const std::int16_t* a, const std::int16_t* b, int count) {
    SquarePairSums sums;
    for (int k = 0; k < count; ++k) {
        const auto t =
            static_cast<std::uint32_t>(std::int32_t{a[k]} * a[k] + std::int32_t{b[k]} * b[k]);
        sums.terms += t;
        sums.squares += std::uint64_t{t} * t;
    }
    return sums;
}

#if defined(__x86_64__) && defined(__GNUC__)
// 16 terms a step: each 32-bit lane adds two terms a step (below 2^21 each, at most 64 steps), each
// 64-bit lane four squares (below 2^42 each).
BESTFOCUS_AVX2_TARGET SquarePairSums avx2_sums(const std::int16_t* a, const std::int16_t* b,
                                               int count) {
    __m256i terms = _mm256_setzero_si256();
    __m256i squares = _mm256_setzero_si256();
    int k = 0;
    for (; k + 16 <= count; k += 16) {
        const __m256i as = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + k));
        const __m256i bs = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + k));
        const __m256i low = _mm256_unpacklo_epi16(as, bs);
        const __m256i high = _mm256_unpackhi_epi16(as, bs);
        const __m256i t_low = _mm256_madd_epi16(low, low);
        const __m256i t_high = _mm256_madd_epi16(high, high);
        terms = _mm256_add_epi32(terms, _mm256_add_epi32(t_low, t_high));
        const __m256i even =
            _mm256_add_epi64(_mm256_mul_epu32(t_low, t_low), _mm256_mul_epu32(t_high, t_high));
        const __m256i odd_low = _mm256_srli_epi64(t_low, 32);
        const __m256i odd_high = _mm256_srli_epi64(t_high, 32);
        const __m256i odd = _mm256_add_epi64(_mm256_mul_epu32(odd_low, odd_low),
                                             _mm256_mul_epu32(odd_high, odd_high));
        squares = _mm256_add_epi64(squares, _mm256_add_epi64(even, odd));
    }
    alignas(32) std::uint32_t term_lanes[8];
    alignas(32) std::uint64_t square_lanes[4];
    _mm256_store_si256(reinterpret_cast<__m256i*>(term_lanes), terms);
    _mm256_store_si256(reinterpret_cast<__m256i*>(square_lanes), squares);
    SquarePairSums sums = plain_sums(a + k, b + k, count - k);
    for (const std::uint32_t lane : term_lanes) sums.terms += lane;
    for (const std::uint64_t lane : square_lanes) sums.squares += lane;
    return sums;
}
#endif

}  // namespace

SquarePairSums square_pair_sums(const std::int16_t* a, const std::int16_t* b, int count) {
#if defined(__x86_64__) && defined(__GNUC__)
    if (avx2_rows_chosen()) return avx2_sums(a, b, count);
#endif
    return plain_sums(a, b, count);
}

}  // namespace bestfocus
