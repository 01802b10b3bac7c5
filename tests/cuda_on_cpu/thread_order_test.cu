// The thread order of fiber blocks: each order is the schedule it names, and a kernel with a
// missing barrier gives a wrong result out of forward order, as it may on a GPU.
#include <cuda_on_cpu/testing.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "test_kernels.h"

namespace {

using cuda_on_cpu::testing::ThreadOrder;
using Kind = ThreadOrder::Kind;

// Any 1-D grid; clocks: one zeroed counter per block. Each thread records its turn within its
// block's round (the counter) before and after one barrier, at turns[(2 * block + round) * B + t].
__global__ void record_turns(unsigned* turns, unsigned* clocks) {
    unsigned* block_turns = turns + 2 * blockIdx.x * blockDim.x;
    block_turns[threadIdx.x] = clocks[blockIdx.x]++;
    __syncthreads();
    block_turns[blockDim.x + threadIdx.x] = clocks[blockIdx.x]++ - blockDim.x;
}

// One block; shared: 8 bytes per thread. out[t] = in[t] + in[t - 1] (in[-1] read as 0) through
// shared slots that hold -1 from an earlier phase. Without the barrier between the stores and the
// neighbour's read, a thread that runs before its left neighbour reads the -1: a race that a GPU's
// racecheck reports.
__global__ void add_left_neighbour(double* out, const double* in, bool with_barrier) {
    double* s = shared_array<double>();
    const unsigned t = threadIdx.x;
    s[t] = -1.0;
    __syncthreads();
    s[t] = in[t];
    if (with_barrier) __syncthreads();
    out[t] = s[t] + (t > 0 ? s[t - 1] : 0.0);
}

// Runs kernel(d_out, args...) on one grid in the given order; returns d_out's first n elements.
template <class T, class... Params, class... Args>
std::vector<T> run_in(ThreadOrder order, unsigned blocks, unsigned threads, size_t n,
                      void (*kernel)(T*, Params...), Args... args) {
    cuda_on_cpu::testing::set_thread_order(order);
    T* d_out = nullptr;
    EXPECT_EQ(cudaMalloc(&d_out, n * sizeof(T)), cudaSuccess);
    const cudaLaunchConfig_t config = launch_config(blocks, threads, threads * sizeof(double));
    EXPECT_EQ(cudaLaunchKernelEx(&config, kernel, d_out, args...), cudaSuccess);
    std::vector<T> out(n);
    cudaMemcpy(out.data(), d_out, n * sizeof(T), cudaMemcpyDeviceToHost);
    cudaFree(d_out);
    cuda_on_cpu::testing::set_thread_order({});
    return out;
}

class ThreadOrders : public ::testing::Test {
    BlockThreadsOnFibers fibers_;  // forward order would run in order and refuse the barriers
};

TEST_F(ThreadOrders, EachRoundOfEachBlockRunsInTheNamedOrder) {
    const unsigned blocks = 2, threads = 1024, rows = 2 * blocks;
    unsigned* d_clocks = nullptr;
    ASSERT_EQ(cudaMalloc(&d_clocks, blocks * sizeof(unsigned)), cudaSuccess);
    const auto turns_in = [&](ThreadOrder order) {
        cudaMemset(d_clocks, 0, blocks * sizeof(unsigned));
        return run_in(order, blocks, threads, rows * threads, record_turns, d_clocks);
    };
    std::vector<unsigned> forward(threads), reverse(threads);
    std::iota(forward.begin(), forward.end(), 0u);
    std::reverse_copy(forward.begin(), forward.end(), reverse.begin());
    const std::vector<unsigned> shuffled = turns_in({Kind::Shuffle, 1});
    EXPECT_EQ(turns_in({Kind::Shuffle, 1}), shuffled) << "the same seed, the same schedule";
    EXPECT_NE(turns_in({Kind::Shuffle, 2}), shuffled);

    const std::vector<unsigned> in_forward = turns_in({Kind::Forward, 0});
    const std::vector<unsigned> in_reverse = turns_in({Kind::Reverse, 0});
    std::vector<std::vector<unsigned>> shuffled_rows;
    for (unsigned row = 0; row < rows; ++row) {
        const auto row_of = [&](const std::vector<unsigned>& all) {
            return std::vector<unsigned>(all.begin() + row * threads,
                                         all.begin() + (row + 1) * threads);
        };
        EXPECT_EQ(row_of(in_forward), forward) << "row " << row;
        EXPECT_EQ(row_of(in_reverse), reverse) << "row " << row;
        std::vector<unsigned> turns = row_of(shuffled);
        for (const std::vector<unsigned>& other : shuffled_rows) EXPECT_NE(turns, other);
        shuffled_rows.push_back(turns);
        std::sort(turns.begin(), turns.end());
        EXPECT_EQ(turns, forward) << "row " << row << " is not a permutation";
    }
    cudaFree(d_clocks);
}

TEST_F(ThreadOrders, AMissingBarrierChangesTheResultOutOfForwardOrder) {
    const unsigned n = 1024;
    std::vector<double> in(n), expected(n);
    std::iota(in.begin(), in.end(), 1.0);
    for (unsigned t = 0; t < n; ++t) expected[t] = in[t] + (t > 0 ? in[t - 1] : 0.0);
    double* d_in = nullptr;
    ASSERT_EQ(cudaMalloc(&d_in, n * sizeof(double)), cudaSuccess);
    cudaMemcpy(d_in, in.data(), n * sizeof(double), cudaMemcpyHostToDevice);
    for (const ThreadOrder order : {ThreadOrder{Kind::Forward, 0}, ThreadOrder{Kind::Reverse, 0},
                                    ThreadOrder{Kind::Shuffle, 1}, ThreadOrder{Kind::Shuffle, 2}}) {
        SCOPED_TRACE(::testing::Message() << "order " << int(order.kind) << ":" << order.seed);
        EXPECT_EQ(run_in(order, 1, n, n, add_left_neighbour, d_in, true), expected);
        const std::vector<double> racy = run_in(order, 1, n, n, add_left_neighbour, d_in, false);
        // Forward order hides the race: it is the schedule these checks add to.
        EXPECT_EQ(racy == expected, order.kind == Kind::Forward);
    }
    cudaFree(d_in);
}

TEST(ThreadOrderSetting, AcceptsForwardReverseAndShuffleWithADecimalSeedOnly) {
    ThreadOrder order;
    ASSERT_TRUE(cuda_on_cpu::testing::parse_thread_order("shuffle:18446744073709551615", &order));
    EXPECT_EQ(order.kind, Kind::Shuffle);
    EXPECT_EQ(order.seed, 18446744073709551615u);
    ASSERT_TRUE(cuda_on_cpu::testing::parse_thread_order("reverse", &order));
    EXPECT_EQ(order.kind, Kind::Reverse);
    for (const char* bad : {"", "Forward", "reverse ", "shuffle", "shuffle:", "shuffle:-1",
                            "shuffle: 1", "shuffle:12x", "shuffle:18446744073709551616"}) {
        EXPECT_FALSE(cuda_on_cpu::testing::parse_thread_order(bad, &order)) << "'" << bad << "'";
    }
}

}  // namespace
