// Every one of the thirteen measure functions, on an image of a few blocks, with a failure
// injected at each runtime call of each kind in turn: the call gives NaN and frees everything,
// and the next call, without a failure, gives the right value again.

#include <cuda_runtime.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "measure_functions.h"

namespace {

using cuda_on_cpu::testing::Call;

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

    double measure() const { return ::measure(GetParam(), image_, kHostThreads, stream_); }

    const TestImage image_{kSize, 11};
    cudaStream_t stream_ = nullptr;
};

TEST_P(FaultSweep, EachFailedRuntimeCallGivesNaNFreesAllAndTheNextCallRecovers) {
    const ReferenceValue expected = GetParam().reference(image_.values, kSize.width, kSize.height);
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
