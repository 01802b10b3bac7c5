// Every measure gives the same bits whether the CPU runtime runs a block's threads in order (the
// tool's way: the last thread folds the block's tree alone) or on fibers through the literal
// barrier code, as a GPU runs it.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "measures.h"
#include "test_images.h"

namespace {

using cuda_on_cpu::BlockThreads;

struct MeasureFunction {
    std::string name;
    bool takes_doubles;
    std::function<double(const unsigned char*, int, int)> call;
};

std::vector<MeasureFunction> all_measure_functions(cudaStream_t stream) {
    // One host thread: the host reduction then adds in a fixed order, so only the block folds
    // could make the bits differ.
    const int one = 1;
    auto plain = [one](double (*f)(const unsigned char*, int, int, int)) {
        return [f, one](const unsigned char* p, int w, int h) { return f(p, w, h, one); };
    };
    auto on_stream = [one, stream](double (*f)(const unsigned char*, int, int, int, CUstream_st*)) {
        return [f, one, stream](const unsigned char* p, int w, int h) {
            return f(p, w, h, one, stream);
        };
    };
    return {
        {"VollathF4_GPU", true, plain(funcion_VollathF4_GPU)},
        {"VollathF4_MemEficient_GPU", true, plain(funcion_VollathF4_MemEficient_GPU)},
        {"VollathF4_MemEficient_GPU_uchar", false, plain(funcion_VollathF4_MemEficient_GPU_uchar)},
        {"VollathF4_MemEficient_GPU_uchar_Stream", false,
         on_stream(funcion_VollathF4_MemEficient_GPU_uchar_Stream)},
        {"MDCT_GPU", true, plain(funcion_MDCT_GPU)},
        {"MDCT_GPU_uchar", false, plain(funcion_MDCT_GPU_uchar)},
        {"MDCT_GPU_uchar_Stream", false, on_stream(funcion_MDCT_GPU_uchar_Stream)},
        {"TEN_GPU", true, plain(funcion_TEN_GPU)},
        {"TEN_GPU_uchar", false, plain(funcion_TEN_GPU_uchar)},
        {"TEN_GPU_uchar_Stream", false, on_stream(funcion_TEN_GPU_uchar_Stream)},
        {"LAP_GPU", true, plain(funcion_LAP_GPU)},
        {"LAP_GPU_uchar", false, plain(funcion_LAP_GPU_uchar)},
        {"LAP_GPU_uchar_Stream", false, on_stream(funcion_LAP_GPU_uchar_Stream)},
    };
}

double measure_with(BlockThreads how, const MeasureFunction& f, const unsigned char* pixels,
                    ImageSize size) {
    const BlockThreads before = cuda_on_cpu::block_threads();
    cuda_on_cpu::set_block_threads(how);
    const double value = f.call(pixels, size.width, size.height);
    cuda_on_cpu::set_block_threads(before);
    return value;
}

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(BlockThreads, InOrderAndFibersGiveBitIdenticalValuesForEveryMeasure) {
    cudaStream_t stream = nullptr;
    ASSERT_EQ(cudaStreamCreate(&stream), cudaSuccess);
    // One partial block, exactly one block, grids of many blocks with partial last rows and
    // columns, and a 1-row strip wider than a block.
    const std::vector<ImageSize> sizes = {{3, 3}, {36, 36}, {37, 37}, {257, 131}, {1100, 5}};
    for (const MeasureFunction& f : all_measure_functions(stream)) {
        for (const ImageSize size : sizes) {
            const unsigned seed = size.width * 1000 + size.height;
            const std::vector<unsigned char> bytes = random_bytes(size, seed);
            const std::vector<double> doubles = random_doubles(size, seed);
            const unsigned char* pixels = f.takes_doubles ? as_bytes(doubles) : bytes.data();
            const double in_order = measure_with(BlockThreads::InOrder, f, pixels, size);
            const double on_fibers = measure_with(BlockThreads::Fibers, f, pixels, size);
            EXPECT_TRUE(same_bits(in_order, on_fibers))
                << f.name << " " << size.width << "x" << size.height << ": " << in_order
                << " in order, " << on_fibers << " on fibers";
            EXPECT_FALSE(std::isnan(in_order)) << f.name;
        }
    }
    EXPECT_EQ(cudaStreamDestroy(stream), cudaSuccess);
    expect_nothing_allocated();
}

}  // namespace
