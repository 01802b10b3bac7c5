// A runtime failure injected into the real measures while the driver scans: the scan returns
// status 1, a message naming the image for standard output and a line naming the image, the failed
// call and the runtime's error for standard error, and the report is never written.
#include <cuda_on_cpu/testing.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "command_line.h"
#include "measure_registry.h"
#include "present_stacks.h"
#include "report_file.h"
#include "stack_scan.h"
#include "team_sizes.h"
#include "test_support.h"

namespace {

using namespace bestfocus;

using cuda_on_cpu::testing::Call;

struct Injection {
    Call call;
    int nth;
    const char* what;
    const char* failed_call;  // pattern of the call and its error as standard error names them
};

const char* const kAllocationFailed =
    "cudaMalloc(Host)? failed: cudaErrorMemoryAllocation: out of memory";
const char* const kCopyFailed = "cudaMemcpy failed: cudaErrorInvalidValue: invalid argument";
const char* const kLaunchFailed =
    "cudaLaunchKernelEx \\(exact_terms_kernel<[A-Za-z0-9_<>]+>\\) failed: "
    "cudaErrorLaunchFailure: unspecified launch failure";

// Through the kernel engine's exact kernels, which make no synchronisation of their own.
const Injection kInjections[] = {
    {Call::Allocation, 1, "first allocation", kAllocationFailed},
    {Call::Allocation, 7, "seventh allocation", kAllocationFailed},
    {Call::Copy, 1, "first copy", kCopyFailed},
    {Call::Copy, 5, "fifth copy", kCopyFailed},
    {Call::Launch, 1, "first launch", kLaunchFailed},
    {Call::Launch, 4, "fourth launch", kLaunchFailed},
};

class InjectedFailure : public ::testing::Test {
  protected:
    void SetUp() override {
        N_threads_ext2 = 2;
        N_threads_ext1 = 2;
        N_threads = 3;
        // Images of a few blocks for every measure.
        write_test_stack(stacks_.path(), "001", {10, 90, 30}, 70, 40);
        write_test_stack(stacks_.path(), "002", {50, 20, 40}, 70, 40);
        config_.base_folder = stacks_.path();
        config_.first_folder = 1;
        config_.last_folder = 2;
        config_.images_per_stack = 3;
    }

    // What main does once the command line is read: the scan, then the report unless it failed.
    std::optional<RunFailure> scan_and_report() {
        const int method = config_.methods[0];
        const ScanResults scan = scan_stacks(config_, present_stacks(config_), *kernels_);
        if (!scan.failure) {
            std::string reason;
            write_report(
                work_.path() + report_file_name(config_.first_folder, config_.last_folder, method),
                best_images(scan.folders, 0), 1.0, &reason);
        }
        return scan.failure;
    }

    FolderSharedWithDeathTests stacks_{"injected_failure_stacks"};
    FolderSharedWithDeathTests work_{"injected_failure_work"};
    RunConfig config_;
    const std::unique_ptr<bestfocus::Engine> kernels_ =
        bestfocus::make_engine(bestfocus::EngineKind::kernels, 6);
};

TEST_F(InjectedFailure, EndsTheRunNamingTheImageAndTheFailedCallWithoutReport) {
    for (const MeasureEntry& measure : measure_registry()) {
        config_.methods = {measure.code};
        for (const Injection& injection : kInjections) {
            SCOPED_TRACE(std::string(measure.long_name) + ", " + injection.what);
            cuda_on_cpu::testing::inject_failure(injection.call, injection.nth);
            const std::optional<RunFailure> failure = scan_and_report();
            cuda_on_cpu::testing::clear_injected_failure();
            ASSERT_TRUE(failure);
            const std::string image = stacks_.path() + "00[12]/0[123]\\.bmp";
            EXPECT_EQ(exit_status(failure->kind), 1);
            EXPECT_TRUE(std::regex_match(
                failure->diagnostic,
                std::regex("bestfocus: " + image + ": " + injection.failed_call + "\n")))
                << failure->diagnostic;
            EXPECT_TRUE(std::regex_match(
                tool_message(*failure),
                std::regex("\nNo se puede calcular la medida de enfoque del archivo: " + image)))
                << tool_message(*failure);
            EXPECT_TRUE(folder_entries(work_.path()).empty());
        }
    }
}

// The same scan without a failure writes the report: the failures above are the injections'.
TEST_F(InjectedFailure, WithoutInjectionTheScanWritesTheReport) {
    for (const MeasureEntry& measure : measure_registry()) {
        SCOPED_TRACE(measure.long_name);
        config_.methods = {measure.code};
        const ScanResults scan = scan_stacks(config_, present_stacks(config_), *kernels_);
        ASSERT_FALSE(scan.failure);
        EXPECT_EQ(best_images(scan.folders, 0), (std::vector<int>{2, 1}));
    }
}

}  // namespace
