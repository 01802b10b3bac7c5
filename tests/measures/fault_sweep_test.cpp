// Every one of the double-precision measure functions, on images that launch blocks and on images
// whose kernel has nothing to do, with a failure injected at each runtime call of each kind in
// turn: the call gives NaN, frees everything and names the failed call and its error for the
// caller; the next call, without a failure, gives the right value again and names no failure.

#include <cuda_runtime.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "measure_failure.h"
#include "measure_functions.h"

using namespace bestfocus;

using bestfocus::last_measure_failure;
using bestfocus::MeasureFailure;

namespace {

using cuda_on_cpu::testing::Call;

struct CallKind {
    Call call;
    const char* name;
    std::set<std::string> runtime_functions;  // the calls of the kind a failure may name
    cudaError_t injected;                     // what cuda_on_cpu makes them fail with
};
const CallKind kCallKinds[] = {
    {Call::Allocation, "allocation", {"cudaMalloc", "cudaMallocHost"}, cudaErrorMemoryAllocation},
    {Call::Copy,
     "copy or memset",
     {"cudaMemcpy", "cudaMemcpyAsync", "cudaMemset", "cudaMemsetAsync"},
     cudaErrorInvalidValue},
    {Call::Launch, "launch", {"cudaLaunchKernelEx"}, cudaErrorLaunchFailure},
    {Call::Synchronize, "synchronisation", {"cudaStreamSynchronize"}, cudaErrorLaunchFailure},
};

constexpr int kHostThreads = 3;

// 3 blocks of the 1024-element grids and 3 x 2 blocks of the 32 x 32 window grids; two rows,
// where Vollath F4 is left to the host and the window measures have no anchor; widths with no
// window anchor and with fewer than none (one block whose threads all lie outside).
const ImageSize kSizes[] = {{70, 40}, {70, 2}, {4, 40}, {2, 40}, {1, 40}};

void expect_failure_named(const CallKind& kind) {
    const MeasureFailure failure = last_measure_failure();
    ASSERT_NE(failure.call, nullptr) << "no failure named";
    EXPECT_EQ(kind.runtime_functions.count(failure.call), 1u) << failure.call;
    EXPECT_STREQ(failure.error_name, cudaGetErrorName(kind.injected));
    EXPECT_STREQ(failure.error_text, cudaGetErrorString(kind.injected));
    if (kind.call == Call::Launch) {
        ASSERT_NE(failure.kernel, nullptr);
        const std::string kernel = failure.kernel;
        EXPECT_TRUE(kernel == "Normalizar_Kernel" || kernel.rfind("Calcular_", 0) == 0 ||
                    kernel.rfind("exact_terms_kernel<", 0) == 0)
            << kernel;
    } else {
        EXPECT_EQ(failure.kernel, nullptr);
    }
}

class FaultSweep : public ::testing::TestWithParam<MeasureFunction> {
  protected:
    void SetUp() override { ASSERT_EQ(cudaStreamCreate(&stream_), cudaSuccess); }
    void TearDown() override { EXPECT_EQ(cudaStreamDestroy(stream_), cudaSuccess); }

    cudaStream_t stream_ = nullptr;
};

TEST_P(FaultSweep, EachFailedRuntimeCallGivesNaNFreesAllAndNamesTheCall) {
    for (const ImageSize& size : kSizes) {
        const TestImage image(size, size.width + 100 * size.height);
        const auto measure = [&] { return ::measure(GetParam(), image, kHostThreads, stream_); };
        const ReferenceValue expected = GetParam().reference(image.values, size.width, size.height);
        for (const CallKind& kind : kCallKinds) {
            SCOPED_TRACE(testing::Message()
                         << size.width << " x " << size.height << ", " << kind.name);
            const int failed_calls = fail_each_runtime_call(
                [&] {
                    const double value = measure();
                    if (cuda_on_cpu::testing::injected_failure_fired()) {
                        expect_failure_named(kind);
                        EXPECT_NEAR(measure(), expected.value, tolerance(expected))
                            << "the call after a failed one";
                        EXPECT_EQ(last_measure_failure().call, nullptr);
                    }
                    return value;
                },
                kind.call);
            // Every call allocates and copies, and launches on the first size (8-bit variants
            // always, to normalise), but the exact kernels on an image without terms; only the
            // stream variants are sure to synchronise, the others mostly wait in a blocking copy.
            const bool asks_nothing = GetParam().exact && expected.magnitude == 0;
            const bool surely_made =
                !asks_nothing &&
                (kind.call == Call::Allocation || kind.call == Call::Copy ||
                 (kind.call == Call::Launch &&
                  (&size == &kSizes[0] || GetParam().input == Input::bytes)) ||
                 (kind.call == Call::Synchronize && GetParam().on_stream != nullptr));
            if (surely_made) {
                EXPECT_GT(failed_calls, 0) << "no " << kind.name << " to fail";
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllMeasureFunctions, FaultSweep,
                         ::testing::ValuesIn(all_measure_functions()), measure_function_name);

}  // namespace
