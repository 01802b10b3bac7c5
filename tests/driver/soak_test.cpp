// Many runs with the default teams (8 folders x 2 images at once, 10 reduction threads each) over
// 10 folders of 20 images: every run reports what a run with teams of one thread reports, equal
// images tie so the first wins, and an unreadable image in the middle ends every run with status
// 1, never a crash or a hang.
//
// CI repeats each run 5 times; BESTFOCUS_SOAK_REPETITIONS=50 ctest -R Soak runs the full soak.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "measure_registry.h"
#include "test_support.h"

using namespace bestfocus;

namespace {

const std::string kExecutable = BESTFOCUS_EXECUTABLE;
constexpr int kFolders = 10;
constexpr int kImages = 20;

int repetitions() {
    const char* requested = std::getenv("BESTFOCUS_SOAK_REPETITIONS");
    return requested != nullptr ? std::max(1, std::atoi(requested)) : 5;
}

class ConcurrencySoak : public ::testing::Test {
  protected:
    // Every folder holds the amplitudes 10, 22, ..., 238 in its own order, so its sharpest image
    // stands apart from the others by far more than rounding.
    void SetUp() override {
        for (int folder = 1; folder <= kFolders; ++folder) {
            std::vector<int> amplitudes;
            for (int k = 0; k < kImages; ++k) {
                amplitudes.push_back(10 + 12 * k);
            }
            std::shuffle(amplitudes.begin(), amplitudes.end(), std::mt19937(folder));
            const auto sharpest = std::max_element(amplitudes.begin(), amplitudes.end());
            expected_lines_ += std::to_string(sharpest - amplitudes.begin() + 1) + "\n";
            // 96 x 64: 6 blocks for every measure, so the reduction teams have work.
            const std::string name = (folder < 10 ? "00" : "0") + std::to_string(folder);
            write_test_stack(stacks_.path(), name, amplitudes, 96, 64);
        }
    }

    // Method, base folder, folders 1 to 10, 20 images, then the team sizes given.
    ProgramRun run(int method, const std::vector<std::string>& team_sizes = {}) {
        std::vector<std::string> arguments = {std::to_string(method), stacks_.path(), "1",
                                              std::to_string(kFolders), std::to_string(kImages)};
        arguments.insert(arguments.end(), team_sizes.begin(), team_sizes.end());
        RunOptions options;
        options.time_limit = std::chrono::seconds(60);
        return run_program(kExecutable, arguments, work_.path(), options);
    }

    // The method of a repetition: every measure in turn.
    static int method_of(int repetition) {
        return measure_registry()[repetition % measure_registry().size()].code;
    }

    std::string report(int method) const {
        return read_file(work_.path() + report_name(1, kFolders, method));
    }

    TemporaryFolder stacks_;
    TemporaryFolder work_;
    std::string expected_lines_;
};

TEST_F(ConcurrencySoak, DefaultTeamsReportWhatTeamsOfOneThreadReport) {
    std::map<int, std::string> one_thread_lines;
    for (const MeasureEntry& measure : measure_registry()) {
        const ProgramRun serial = run(measure.code, {"1", "1", "1"});
        ASSERT_EQ(serial.exit_status, 0) << serial.standard_output;
        one_thread_lines[measure.code] = report_lines(report(measure.code));
        ASSERT_EQ(one_thread_lines[measure.code], expected_lines_) << measure.long_name;
    }
    for (int repetition = 0; repetition < repetitions(); ++repetition) {
        const int method = method_of(repetition);
        SCOPED_TRACE(testing::Message() << "repetition " << repetition << ", method " << method);
        const ProgramRun concurrent = run(method);
        ASSERT_EQ(concurrent.exit_status, 0)
            << concurrent.standard_output << (concurrent.timed_out ? " (timed out)" : "");
        ASSERT_EQ(report_lines(report(method)), one_thread_lines[method]);
    }
}

TEST_F(ConcurrencySoak, StacksOfEqualImagesReportTheFirstEveryTime) {
    TemporaryFolder equal_stacks;
    for (int folder = 1; folder <= kFolders; ++folder) {
        const std::string name = (folder < 10 ? "00" : "0") + std::to_string(folder);
        write_test_stack(equal_stacks.path(), name, std::vector<int>(kImages, 128), 96, 64);
    }
    std::string all_first;
    for (int folder = 1; folder <= kFolders; ++folder) all_first += "1\n";
    for (int repetition = 0; repetition < repetitions(); ++repetition) {
        const int method = method_of(repetition);
        SCOPED_TRACE(testing::Message() << "repetition " << repetition << ", method " << method);
        const ProgramRun concurrent =
            run_program(kExecutable,
                        {std::to_string(method), equal_stacks.path(), "1", std::to_string(kFolders),
                         std::to_string(kImages)},
                        work_.path());
        ASSERT_EQ(concurrent.exit_status, 0) << concurrent.standard_output;
        ASSERT_EQ(report_lines(report(method)), all_first);
    }
}

TEST_F(ConcurrencySoak, UnreadableImageInTheMiddleEndsEveryRunWithStatus1) {
    const std::string unreadable = stacks_.path() + "006/10.bmp";
    write_file(unreadable, "");
    for (int repetition = 0; repetition < repetitions(); ++repetition) {
        const int method = method_of(repetition);
        SCOPED_TRACE(testing::Message() << "repetition " << repetition << ", method " << method);
        const ProgramRun run_with_bad_image = run(method);
        ASSERT_FALSE(run_with_bad_image.timed_out);
        ASSERT_EQ(run_with_bad_image.signal, 0);
        ASSERT_EQ(run_with_bad_image.exit_status, 1);
        ASSERT_EQ(run_with_bad_image.standard_output,
                  "\nNo se puede abrir el archivo: " + unreadable);
        ASSERT_TRUE(folder_entries(work_.path()).empty());
    }
}

}  // namespace
