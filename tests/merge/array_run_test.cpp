// The job array's script run by hand, one task after another as Slurm would start them (the
// array variables set by the test), with the real bestfocus on the sample stacks; then
// bestfocus_merge, whose reports, scores and summary must equal one bestfocus run's over the
// whole range.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <opencv2/imgcodecs.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "shell_command.h"
#include "test_support.h"

namespace {

const std::string kExecutable = BESTFOCUS_EXECUTABLE;
const std::string kMerge = BESTFOCUS_MERGE_EXECUTABLE;
const std::string kArrayScript = BESTFOCUS_ARRAY_SCRIPT;
const std::string kSampleStacks = BESTFOCUS_SAMPLE_STACKS;  // folders 11 to 15, 20 images each
constexpr int kFirst = 11;
constexpr int kLast = 15;
// Every run measures with two methods and writes both CSV files and the best stack, which the
// merge joins.
const int kMethods[] = {1, 3};
const std::string kCsvOptions = "--scores=scores.csv --summary=summary.csv --best-stack=best.tif";
const std::string kRunOptions = "--quiet " + kCsvOptions;
const char* const kTables[] = {"scores.csv", "summary.csv"};

std::string parent_of(const std::string& folder) {
    return std::filesystem::path(folder).parent_path().parent_path().string();
}

// Runs array task `task` of `tasks` in `working_folder` with kRunOptions and bestfocus's
// arguments after the run folder.
CommandResult run_task(const std::string& working_folder, const std::string& run_folder, int task,
                       int tasks, const std::string& arguments) {
    return run_shell("cd " + quoted(working_folder) + " && SLURM_ARRAY_TASK_ID=" +
                     std::to_string(task) + " SLURM_ARRAY_TASK_COUNT=" + std::to_string(tasks) +
                     " BESTFOCUS=" + quoted(kExecutable) + " bash " + quoted(kArrayScript) + " " +
                     quoted(run_folder) + " " + kRunOptions + " " + arguments);
}

CommandResult merge(const std::string& working_folder, const std::string& run_folder) {
    return run_shell("cd " + quoted(working_folder) + " && " + quoted(kMerge) + " " + kCsvOptions +
                     " " + quoted(run_folder) + " " + std::to_string(kFirst) + " " +
                     std::to_string(kLast));
}

// The seconds of a completion mark's "start=" or "end=" line.
double mark_time(const std::string& mark, const std::string& key) {
    const std::size_t line = mark.find("\n" + key + "=");
    return line == std::string::npos ? -1 : std::stod(mark.substr(line + key.size() + 2));
}

class ArrayRun : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        single_run_ = new TemporaryFolder;
        const CommandResult run =
            run_shell("cd " + quoted(single_run_->path()) + " && " + quoted(kExecutable) + " " +
                      kRunOptions + " 1,3 " + quoted(kSampleStacks) + " 11 15 20");
        ASSERT_EQ(run.exit_status, 0) << run.output;
    }
    static void TearDownTestSuite() { delete single_run_; }

    // Checks the merged outputs: the single run's report lines, scores and summary, and the time
    // from the earliest start to the latest end of the completion marks.
    void expect_merged_outputs(const std::string& run_folder) {
        double start = 1e300;
        double end = -1e300;
        for (const std::string& piece : folder_entries(run_folder)) {
            const std::string mark = read_file(run_folder + piece + "/complete");
            if (!mark.empty()) {
                start = std::min(start, mark_time(mark, "start"));
                end = std::max(end, mark_time(mark, "end"));
            }
        }
        char time_line[64];
        std::snprintf(time_line, sizeof time_line, "\nTotal time: %f seconds...", end - start);
        for (const int method : kMethods) {
            const std::string name = report_name(kFirst, kLast, method);
            const std::string report = read_file(work_.path() + name);
            EXPECT_EQ(report_lines(report), report_lines(read_file(single_run_->path() + name)));
            EXPECT_EQ(report.substr(report_lines(report).size()), time_line);
        }
        for (const char* table : kTables) {
            EXPECT_EQ(read_file(work_.path() + table), read_file(single_run_->path() + table))
                << table;
        }
        // Page by page: the descriptions name where each run read the image.
        std::vector<cv::Mat> merged;
        std::vector<cv::Mat> single;
        ASSERT_TRUE(cv::imreadmulti(work_.path() + "best.tif", merged, cv::IMREAD_UNCHANGED));
        ASSERT_TRUE(
            cv::imreadmulti(single_run_->path() + "best.tif", single, cv::IMREAD_UNCHANGED));
        ASSERT_EQ(merged.size(), single.size());
        for (std::size_t page = 0; page < merged.size(); ++page) {
            EXPECT_EQ(cv::norm(merged[page], single[page], cv::NORM_INF), 0) << page;
        }
    }

    static TemporaryFolder* single_run_;
    TemporaryFolder run_;
    TemporaryFolder work_;
};
TemporaryFolder* ArrayRun::single_run_ = nullptr;

struct Slicing {
    int tasks;
    std::vector<std::string> pieces;  // contiguous, the first ones one folder longer
};

void PrintTo(const Slicing& slicing, std::ostream* out) { *out << slicing.tasks << " tasks"; }

class ArraySlicing : public ArrayRun, public ::testing::WithParamInterface<Slicing> {};

TEST_P(ArraySlicing, SlicesMergeIntoTheReportOfOneRun) {
    const Slicing& slicing = GetParam();
    // A relative base folder: the tasks run bestfocus in their own folders.
    const std::string base = std::filesystem::path(kSampleStacks).parent_path().filename().string();
    for (int task = 0; task < slicing.tasks; ++task) {
        const CommandResult run = run_task(parent_of(kSampleStacks), run_.path(), task,
                                           slicing.tasks, "1,3 " + base + "/ 11 15 20");
        ASSERT_EQ(run.exit_status, 0) << run.output;
    }
    std::vector<std::string> expected_entries = slicing.pieces;
    expected_entries.push_back("plan");
    std::sort(expected_entries.begin(), expected_entries.end());
    EXPECT_EQ(folder_entries(run_.path()), expected_entries);
    const CommandResult merged = merge(work_.path(), run_.path());
    ASSERT_EQ(merged.exit_status, 0) << merged.output;
    expect_merged_outputs(run_.path());
}

INSTANTIATE_TEST_SUITE_P(
    TaskCounts, ArraySlicing,
    ::testing::Values(Slicing{1, {"folders_11_to_15"}},
                      Slicing{2, {"folders_11_to_13", "folders_14_to_15"}},
                      Slicing{3, {"folders_11_to_12", "folders_13_to_14", "folders_15_to_15"}},
                      Slicing{7,
                              {"folders_11_to_11", "folders_12_to_12", "folders_13_to_13",
                               "folders_14_to_14", "folders_15_to_15"}}),
    [](const auto& info) { return std::to_string(info.param.tasks) + "Tasks"; });

TEST_F(ArrayRun, ResumingRedoesOnlyTheFailedSlice) {
    TemporaryFolder stacks;
    std::filesystem::copy(kSampleStacks, stacks.path(), std::filesystem::copy_options::recursive);
    const std::string image = stacks.path() + "013/05.bmp";
    const std::string pixels = read_file(image);
    write_file(image, "not an image");
    const std::string arguments = "1,3 " + quoted(stacks.path()) + " 11 15 20";
    const CommandResult failed = run_task(work_.path(), run_.path(), 1, 3, arguments);
    EXPECT_EQ(failed.exit_status, 1) << failed.output;
    EXPECT_FALSE(std::filesystem::exists(run_.path() + "folders_13_to_14/complete"));
    for (const int task : {0, 2}) {
        ASSERT_EQ(run_task(work_.path(), run_.path(), task, 3, arguments).exit_status, 0);
    }
    const CommandResult refused = merge(work_.path(), run_.path());
    EXPECT_EQ(refused.exit_status, 1);
    EXPECT_NE(refused.output.find("folders_13_to_14 is incomplete"), std::string::npos)
        << refused.output;

    write_file(image, pixels);
    std::map<int, std::string> marks = {{0, read_file(run_.path() + "folders_11_to_12/complete")},
                                        {2, read_file(run_.path() + "folders_15_to_15/complete")}};
    for (int task = 0; task < 3; ++task) {
        const CommandResult rerun = run_task(work_.path(), run_.path(), task, 3, arguments);
        EXPECT_EQ(rerun.exit_status, 0) << rerun.output;
        EXPECT_EQ(rerun.output.find("already complete") != std::string::npos, task != 1);
    }
    EXPECT_EQ(read_file(run_.path() + "folders_11_to_12/complete"), marks[0]);
    EXPECT_EQ(read_file(run_.path() + "folders_15_to_15/complete"), marks[2]);
    const CommandResult merged = merge(work_.path(), run_.path());
    ASSERT_EQ(merged.exit_status, 0) << merged.output;
    expect_merged_outputs(run_.path());
}

// A relative export folder is the submission folder's, one for every slice.
TEST_F(ArrayRun, EverySliceExportsIntoTheOneFolderGiven) {
    const std::string arguments =
        "--export-best=picks --export-best-link 1,3 " + quoted(kSampleStacks) + " 11 15 20";
    for (const int task : {0, 1}) {
        const CommandResult run = run_task(work_.path(), run_.path(), task, 2, arguments);
        ASSERT_EQ(run.exit_status, 0) << run.output;
    }
    std::vector<std::string> expected;
    for (int folder = kFirst; folder <= kLast; ++folder) {
        for (const char* method : {"tenengrad", "vollath-f4"}) {
            expected.push_back("0" + std::to_string(folder) + "_" + method + ".bmp");
        }
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(folder_entries(work_.path() + "picks"), expected);
    // Linked where the file systems allow it, else copied: the same bytes either way.
    EXPECT_EQ(read_file(work_.path() + "picks/011_vollath-f4.bmp"),
              read_file(kSampleStacks + "011/07.bmp"));
}

// The slicing and the command of a run folder's first submission hold for every later one.
TEST_F(ArrayRun, LaterSubmissionsFollowThePlanOfTheRunFolder) {
    const std::string arguments = "1,3 " + quoted(kSampleStacks) + " 11 15 20";
    ASSERT_EQ(run_task(work_.path(), run_.path(), 0, 2, arguments).exit_status, 0);
    // Resubmitted as --array=1: one task, yet the second of the two slices.
    const CommandResult second = run_task(work_.path(), run_.path(), 1, 1, arguments);
    EXPECT_EQ(second.exit_status, 0) << second.output;
    EXPECT_TRUE(std::filesystem::exists(run_.path() + "folders_14_to_15/complete"));

    const CommandResult beyond = run_task(work_.path(), run_.path(), 2, 3, arguments);
    EXPECT_EQ(beyond.exit_status, 1);
    EXPECT_NE(beyond.output.find("task 2 is not a slice of this run"), std::string::npos)
        << beyond.output;
    const CommandResult other_method =
        run_task(work_.path(), run_.path(), 0, 2, "2 " + quoted(kSampleStacks) + " 11 15 20");
    EXPECT_EQ(other_method.exit_status, 1);
    EXPECT_NE(other_method.output.find("plan was written for another command"), std::string::npos)
        << other_method.output;
}

}  // namespace

// Tiled slices: the merge's tile tables, depth maps and all-in-focus images are one run's.
TEST_F(ArrayRun, TiledSlicesMergeIntoTheTilesAndMapsOfOneRun) {
    const std::string tiled =
        "--tiles=2x3 --tile-scores=tile_scores.csv "
        "--tile-summary=tile_summary.csv --depth-map=depth "
        "--all-in-focus=focused";
    const std::string arguments = " 1,3 " + quoted(kSampleStacks) + " 11 15 20";
    TemporaryFolder single;
    const CommandResult one_run = run_shell("cd " + quoted(single.path()) + " && " +
                                            quoted(kExecutable) + " --quiet " + tiled + arguments);
    ASSERT_EQ(one_run.exit_status, 0) << one_run.output;
    for (const int task : {0, 1}) {
        const CommandResult run = run_task(work_.path(), run_.path(), task, 2, tiled + arguments);
        ASSERT_EQ(run.exit_status, 0) << run.output;
    }
    const CommandResult merged =
        run_shell("cd " + quoted(work_.path()) + " && " + quoted(kMerge) + " " +
                  tiled.substr(tiled.find(' ') + 1) + " " + quoted(run_.path()) + " 11 15");
    ASSERT_EQ(merged.exit_status, 0) << merged.output;
    std::vector<std::string> files = {"tile_scores.csv", "tile_summary.csv"};
    for (int folder = kFirst; folder <= kLast; ++folder) {
        files.push_back("depth/0" + std::to_string(folder) + "_depth.tif");
        files.push_back("focused/0" + std::to_string(folder) + "_focused.tif");
    }
    for (const std::string& file : files) {
        EXPECT_FALSE(read_file(single.path() + file).empty()) << file;
        EXPECT_EQ(read_file(work_.path() + file), read_file(single.path() + file)) << file;
    }
}

// Methods past the first four, by name and by code: each slice writes their reports and rows
// under their codes, and the merge joins them into one run's.
TEST_F(ArrayRun, SlicesOfLaterMethodsByNameMergeIntoOneRun) {
    const std::string arguments = " brenner,10 " + quoted(kSampleStacks) + " 11 15 20";
    TemporaryFolder single;
    const CommandResult one_run = run_shell("cd " + quoted(single.path()) + " && " +
                                            quoted(kExecutable) + " " + kRunOptions + arguments);
    ASSERT_EQ(one_run.exit_status, 0) << one_run.output;
    for (const int task : {0, 1}) {
        const CommandResult run = run_task(work_.path(), run_.path(), task, 2, arguments);
        ASSERT_EQ(run.exit_status, 0) << run.output;
    }
    const CommandResult merged = merge(work_.path(), run_.path());
    ASSERT_EQ(merged.exit_status, 0) << merged.output;
    for (const int method : {5, 10}) {
        const std::string name = report_name(kFirst, kLast, method);
        const std::string expected = report_lines(read_file(single.path() + name));
        EXPECT_FALSE(expected.empty()) << name;
        EXPECT_EQ(report_lines(read_file(work_.path() + name)), expected) << name;
    }
    for (const char* table : kTables) {
        EXPECT_EQ(read_file(work_.path() + table), read_file(single.path() + table)) << table;
    }
}
