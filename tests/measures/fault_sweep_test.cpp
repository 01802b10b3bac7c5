// Every one of the thirteen measure functions, on an image of a few blocks, with a failure
// injected at each runtime call of each kind in turn: the call gives NaN and frees everything,
// and the next call, without a failure, gives the right value again.

#include <cuda_runtime.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "measures.h"
#include "test_images.h"
#include "vollath_f4_reference.h"
#include "window_measure_reference.h"

namespace {

using cuda_on_cpu::testing::Call;

enum class Input { bytes, doubles };

// One measure function: plain, or on a stream for the _Stream variants.
struct MeasureFunction {
    const char* name;
    Input input;
    double (*plain)(const unsigned char* pixels, int width, int height, int host_threads);
    double (*on_stream)(const unsigned char* pixels, int width, int height, int host_threads,
                        CUstream_st* stream);
    ReferenceValue (*reference)(const std::vector<double>& image, int width, int height);
};

const MeasureFunction kMeasureFunctions[] = {
    {"VollathF4_MemEficient_GPU", Input::doubles, funcion_VollathF4_MemEficient_GPU, nullptr,
     vollath_f4_reference},
    {"VollathF4_MemEficient_GPU_uchar", Input::bytes, funcion_VollathF4_MemEficient_GPU_uchar,
     nullptr, vollath_f4_reference},
    {"VollathF4_MemEficient_GPU_uchar_Stream", Input::bytes, nullptr,
     funcion_VollathF4_MemEficient_GPU_uchar_Stream, vollath_f4_reference},
    {"VollathF4_GPU", Input::doubles, funcion_VollathF4_GPU, nullptr, vollath_f4_reference},
    {"MDCT_GPU", Input::doubles, funcion_MDCT_GPU, nullptr, mdct_reference},
    {"MDCT_GPU_uchar", Input::bytes, funcion_MDCT_GPU_uchar, nullptr, mdct_reference},
    {"MDCT_GPU_uchar_Stream", Input::bytes, nullptr, funcion_MDCT_GPU_uchar_Stream, mdct_reference},
    {"TEN_GPU", Input::doubles, funcion_TEN_GPU, nullptr, tenengrad_reference},
    {"TEN_GPU_uchar", Input::bytes, funcion_TEN_GPU_uchar, nullptr, tenengrad_reference},
    {"TEN_GPU_uchar_Stream", Input::bytes, nullptr, funcion_TEN_GPU_uchar_Stream,
     tenengrad_reference},
    {"LAP_GPU", Input::doubles, funcion_LAP_GPU, nullptr, laplacian_reference},
    {"LAP_GPU_uchar", Input::bytes, funcion_LAP_GPU_uchar, nullptr, laplacian_reference},
    {"LAP_GPU_uchar_Stream", Input::bytes, nullptr, funcion_LAP_GPU_uchar_Stream,
     laplacian_reference},
};

struct CallKind {
    Call call;
    const char* name;
};
const CallKind kCallKinds[] = {{Call::Allocation, "allocation"},
                               {Call::Copy, "copy or memset"},
                               {Call::Launch, "launch"},
                               {Call::Synchronize, "synchronisation"}};

constexpr int kHostThreads = 3;
// 3 blocks of the 1024-element grids and 3 x 2 blocks of the 32 x 32 window grids.
constexpr ImageSize kSize{70, 40};

class FaultSweep : public ::testing::TestWithParam<MeasureFunction> {
  protected:
    void SetUp() override { ASSERT_EQ(cudaStreamCreate(&stream_), cudaSuccess); }
    void TearDown() override { EXPECT_EQ(cudaStreamDestroy(stream_), cudaSuccess); }

    double measure() const {
        const MeasureFunction& function = GetParam();
        const unsigned char* pixels =
            function.input == Input::bytes ? bytes_.data() : as_bytes(values_);
        if (function.on_stream != nullptr) {
            return function.on_stream(pixels, kSize.width, kSize.height, kHostThreads, stream_);
        }
        return function.plain(pixels, kSize.width, kSize.height, kHostThreads);
    }

    const std::vector<unsigned char> bytes_ = random_bytes(kSize, 11);
    const std::vector<double> values_ = normalised(bytes_);
    cudaStream_t stream_ = nullptr;
};

TEST_P(FaultSweep, EachFailedRuntimeCallGivesNaNFreesAllAndTheNextCallRecovers) {
    const ReferenceValue expected = GetParam().reference(values_, kSize.width, kSize.height);
    EXPECT_NEAR(measure(), expected.value, tolerance(expected));

    for (const CallKind& kind : kCallKinds) {
        SCOPED_TRACE(kind.name);
        const int failed_calls = fail_each_runtime_call(
            [&] {
                const double value = measure();
                if (cuda_on_cpu::testing::injected_failure_fired()) {
                    EXPECT_NEAR(measure(), expected.value, tolerance(expected))
                        << "the call after a failed one";
                }
                return value;
            },
            kind.call);
        // Only the stream variants synchronise: the others copy back synchronously.
        if (kind.call != Call::Synchronize || GetParam().on_stream != nullptr) {
            EXPECT_GT(failed_calls, 0) << "no " << kind.name << " to fail";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllMeasureFunctions, FaultSweep, ::testing::ValuesIn(kMeasureFunctions),
                         [](const ::testing::TestParamInfo<MeasureFunction>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
