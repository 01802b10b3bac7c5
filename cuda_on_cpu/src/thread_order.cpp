#include "thread_order.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <utility>

namespace cuda_on_cpu::detail {
namespace {

// SplitMix64: small, fast and well mixed; the same numbers on every platform, unlike the standard
// library's distributions.
std::uint64_t split_mix(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9e3779b97f4a7c15u);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return z ^ (z >> 31);
}

// A number in [0, bound), by the multiply-high method (its bias is far below anything a schedule
// could show).
unsigned below(std::uint64_t& state, unsigned bound) {
    return static_cast<unsigned>((static_cast<unsigned __int128>(split_mix(state)) * bound) >> 64);
}

void shuffle(std::vector<unsigned>& turns, std::uint64_t seed, std::size_t linear_block,
             unsigned round) {
    std::uint64_t state = seed;
    state = split_mix(state) ^ linear_block;
    state = split_mix(state) ^ round;
    for (unsigned i = static_cast<unsigned>(turns.size()); i > 1; --i) {
        std::swap(turns[i - 1], turns[below(state, i)]);
    }
}

}  // namespace

void order_round(const testing::ThreadOrder& order, std::size_t linear_block, unsigned round,
                 unsigned count, std::vector<unsigned>& turns) {
    turns.resize(count);
    std::iota(turns.begin(), turns.end(), 0u);
    using Kind = testing::ThreadOrder::Kind;
    switch (order.kind) {
        case Kind::Forward: return;
        case Kind::Reverse: std::reverse(turns.begin(), turns.end()); return;
        case Kind::Shuffle: shuffle(turns, order.seed, linear_block, round); return;
    }
}

}  // namespace cuda_on_cpu::detail
