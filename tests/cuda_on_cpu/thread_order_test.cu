// The thread order of fiber blocks: each order is the schedule it names, and a kernel with a
// missing barrier gives a wrong result in some order, as it would on a GPU.
#include <cuda_on_cpu/testing.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "test_kernels.h"

namespace {

using cuda_on_cpu::testing::ThreadOrder;
using Kind = ThreadOrder::Kind;

// Any 1-D grid; clocks: one counter per block, zeroed. Each thread records its turn in its block
// (the counter's value) before and after one barrier, at turns[(2 * block + round) * B + t].
__global__ void record_turns(unsigned* turns, unsigned* clocks) {
    const unsigned b = blockDim.x;
    unsigned* block_turns = turns + 2 * blockIdx.x * b;
    block_turns[threadIdx.x] = clocks[blockIdx.x]++;
    __syncthreads();
    block_turns[b + threadIdx.x] = clocks[blockIdx.x]++;
}

// One block; shared: 8 bytes per thread. out[t] = in[t] + in[t - 1] (in[-1] read as 0) through
// shared memory, whose slots hold -1 from an earlier phase. Without the barrier between the stores
// and the neighbour's read, a thread that runs before its left neighbour reads the -1: the race
// a GPU's racecheck reports.
__global__ void add_left_neighbour(double* out, const double* in, bool with_barrier) {
    double* s = shared_array<double>();
    const unsigned t = threadIdx.x;
    s[t] = -1.0;
    __syncthreads();
    s[t] = in[t];
    if (with_barrier) __syncthreads();
    out[t] = s[t] + (t > 0 ? s[t - 1] : 0.0);
}

class ThreadOrders : public ::testing::Test {
  protected:
    void SetUp() override { before_ = cuda_on_cpu::testing::thread_order(); }
    void TearDown() override { cuda_on_cpu::testing::set_thread_order(before_); }

    // turns[round][t] of every block, run in the given order.
    std::vector<unsigned> turns_in(ThreadOrder order, unsigned blocks, unsigned threads) {
        cuda_on_cpu::testing::set_thread_order(order);
        const size_t count = 2 * size_t{blocks} * threads;
        unsigned *d_turns = nullptr, *d_clocks = nullptr;
        EXPECT_EQ(cudaMalloc(&d_turns, count * sizeof(unsigned)), cudaSuccess);
        EXPECT_EQ(cudaMalloc(&d_clocks, blocks * sizeof(unsigned)), cudaSuccess);
        EXPECT_EQ(cudaMemset(d_clocks, 0, blocks * sizeof(unsigned)), cudaSuccess);
        const cudaLaunchConfig_t config = launch_config(blocks, threads);
        EXPECT_EQ(cudaLaunchKernelEx(&config, record_turns, d_turns, d_clocks), cudaSuccess);
        std::vector<unsigned> turns(count);
        cudaMemcpy(turns.data(), d_turns, count * sizeof(unsigned), cudaMemcpyDeviceToHost);
        cudaFree(d_turns);
        cudaFree(d_clocks);
        return turns;
    }

    std::vector<double> neighbour_sums_in(ThreadOrder order, const std::vector<double>& in,
                                          bool with_barrier) {
        cuda_on_cpu::testing::set_thread_order(order);
        const unsigned n = static_cast<unsigned>(in.size());
        double *d_in = nullptr, *d_out = nullptr;
        EXPECT_EQ(cudaMalloc(&d_in, n * sizeof(double)), cudaSuccess);
        EXPECT_EQ(cudaMalloc(&d_out, n * sizeof(double)), cudaSuccess);
        cudaMemcpy(d_in, in.data(), n * sizeof(double), cudaMemcpyHostToDevice);
        const cudaLaunchConfig_t config = launch_config(1, n, n * sizeof(double));
        EXPECT_EQ(cudaLaunchKernelEx(&config, add_left_neighbour, d_out, d_in, with_barrier),
                  cudaSuccess);
        std::vector<double> out(n);
        cudaMemcpy(out.data(), d_out, n * sizeof(double), cudaMemcpyDeviceToHost);
        cudaFree(d_in);
        cudaFree(d_out);
        return out;
    }

  private:
    ThreadOrder before_;
    BlockThreadsOnFibers fibers_;  // forward order runs in order otherwise, refusing barriers
};

TEST_F(ThreadOrders, ForwardAndReverseRunEveryRoundByIncreasingOrDecreasingIndex) {
    const unsigned threads = 256;
    const std::vector<unsigned> forward = turns_in({Kind::Forward, 0}, 2, threads);
    const std::vector<unsigned> reverse = turns_in({Kind::Reverse, 0}, 2, threads);
    for (size_t row = 0; row < 4; ++row) {  // two blocks of two rounds each
        const unsigned round = row % 2;
        for (unsigned t = 0; t < threads; ++t) {
            ASSERT_EQ(forward[row * threads + t], round * threads + t) << "row " << row;
            ASSERT_EQ(reverse[row * threads + t], round * threads + threads - 1 - t)
                << "row " << row;
        }
    }
}

TEST_F(ThreadOrders, ShuffleDrawsAReproduciblePermutationPerBlockAndRound) {
    const unsigned threads = 1024;
    const std::vector<unsigned> first = turns_in({Kind::Shuffle, 1}, 2, threads);
    EXPECT_EQ(turns_in({Kind::Shuffle, 1}, 2, threads), first);
    EXPECT_NE(turns_in({Kind::Shuffle, 2}, 2, threads), first);

    std::vector<std::vector<unsigned>> rows;  // each row's turns counted from its round's start
    for (size_t row = 0; row < 4; ++row) {
        std::vector<unsigned> turns(first.begin() + row * threads,
                                    first.begin() + (row + 1) * threads);
        for (unsigned& turn : turns) turn -= (row % 2) * threads;
        std::vector<unsigned> sorted = turns;
        std::sort(sorted.begin(), sorted.end());
        std::vector<unsigned> every(threads);
        std::iota(every.begin(), every.end(), 0u);
        ASSERT_EQ(sorted, every) << "row " << row << " is not a permutation";
        EXPECT_NE(turns, every) << "row " << row << " is in forward order";
        for (const std::vector<unsigned>& earlier : rows) EXPECT_NE(turns, earlier);
        rows.push_back(turns);
    }
}

TEST_F(ThreadOrders, AMissingBarrierChangesTheResultOutOfForwardOrder) {
    const unsigned n = 1024;
    std::vector<double> in(n), expected(n);
    for (unsigned t = 0; t < n; ++t) in[t] = t + 1.0;
    for (unsigned t = 0; t < n; ++t) expected[t] = in[t] + (t > 0 ? in[t - 1] : 0.0);

    for (const ThreadOrder order : {ThreadOrder{Kind::Forward, 0}, ThreadOrder{Kind::Reverse, 0},
                                    ThreadOrder{Kind::Shuffle, 1}, ThreadOrder{Kind::Shuffle, 2}}) {
        SCOPED_TRACE("order " + std::to_string(int(order.kind)) + ":" + std::to_string(order.seed));
        EXPECT_EQ(neighbour_sums_in(order, in, true), expected);
        const std::vector<double> racy = neighbour_sums_in(order, in, false);
        // Forward order hides the race, as the schedule before these checks did.
        if (order.kind == Kind::Forward) {
            EXPECT_EQ(racy, expected);
        } else {
            EXPECT_NE(racy, expected);
        }
    }
}

TEST(ThreadOrderSetting, AcceptsForwardReverseAndShuffleWithADecimalSeed) {
    struct Case {
        const char* text;
        bool valid;
        Kind kind;
        std::uint64_t seed;
    };
    const Case cases[] = {
        {"forward", true, Kind::Forward, 0},
        {"reverse", true, Kind::Reverse, 0},
        {"shuffle:0", true, Kind::Shuffle, 0},
        {"shuffle:18446744073709551615", true, Kind::Shuffle, 18446744073709551615u},
        {"", false, Kind::Forward, 0},
        {"Forward", false, Kind::Forward, 0},
        {"reverse ", false, Kind::Forward, 0},
        {"shuffle", false, Kind::Forward, 0},
        {"shuffle:", false, Kind::Forward, 0},
        {"shuffle:-1", false, Kind::Forward, 0},
        {"shuffle: 1", false, Kind::Forward, 0},
        {"shuffle:12x", false, Kind::Forward, 0},
        {"shuffle:18446744073709551616", false, Kind::Forward, 0},
    };
    for (const Case& c : cases) {
        ThreadOrder order{Kind::Forward, 99};
        EXPECT_EQ(cuda_on_cpu::testing::parse_thread_order(c.text, &order), c.valid)
            << "'" << c.text << "'";
        if (c.valid) {
            EXPECT_EQ(order.kind, c.kind) << c.text;
            EXPECT_EQ(order.seed, c.seed) << c.text;
        }
    }
}

}  // namespace
