// Runs killed before they finish: an earlier report of the same name stays as it was, and nothing
// a killed run leaves behind stands in the way of the next run.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"

namespace {

namespace fs = std::filesystem;

const std::string kExecutable = BESTFOCUS_EXECUTABLE;
const std::string kEarlierReport = "1\n1\n\nTotal time: 1.000000 seconds...";

// Eight folders of eight camera frames, image k of folder k the sharpest: a scan of a second or
// more on two cores with the kernels on the CPU runtime. The frames are two files, linked under
// every name.
std::string write_slow_stacks(const std::string& base) {
    const std::string dim = base + "dim.bmp";
    const std::string sharp = base + "sharp.bmp";
    if (!cv::imwrite(dim, checkerboard(1388, 1040, CV_8U, cv::Scalar(40))) ||
        !cv::imwrite(sharp, checkerboard(1388, 1040, CV_8U, cv::Scalar(200)))) {
        throw std::runtime_error("cannot write the frames");
    }
    std::string lines;
    for (int folder = 1; folder <= 8; ++folder) {
        const std::string folder_path = base + "00" + std::to_string(folder) + "/";
        fs::create_directory(folder_path);
        for (int image = 1; image <= 8; ++image) {
            fs::create_hard_link(image == folder ? sharp : dim,
                                 folder_path + "0" + std::to_string(image) + ".bmp");
        }
        lines += std::to_string(folder) + "\n";
    }
    return lines;
}

TEST(InterruptedRun, KilledWhileScanningLeavesTheEarlierReportAndNoTrace) {
    TemporaryFolder stacks;
    TemporaryFolder work;
    const std::string expected_lines = write_slow_stacks(stacks.path());
    // The kernels on the CPU runtime: a scan slow enough to be caught in the middle.
    const std::vector<std::string> arguments = {"--engine=cuda", "3", stacks.path(), "1", "8", "8"};
    const std::string report = report_name(1, 8, 3);
    write_file(work.path() + report, kEarlierReport);

    RunningProgram program(kExecutable, arguments, work.path());
    // The teams of the scan are the program's first threads besides the main one. (0 threads:
    // it has ended, and the checks below tell how.)
    while (program.thread_count() == 1) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // into the images
    program.kill_now();
    const ProgramRun killed = program.wait();
    EXPECT_EQ(killed.signal, SIGKILL);
    // The elapsed time is printed as soon as the scan is over.
    EXPECT_EQ(killed.standard_output, "") << "killed after the scan, not during it";
    EXPECT_EQ(folder_entries(work.path()), std::vector<std::string>{report});
    EXPECT_EQ(read_file(work.path() + report), kEarlierReport);

    const ProgramRun later = run_program(kExecutable, arguments, work.path());
    EXPECT_EQ(later.exit_status, 0) << later.standard_output;
    EXPECT_EQ(folder_entries(work.path()), std::vector<std::string>{report});
    EXPECT_EQ(report_lines(read_file(work.path() + report)), expected_lines);
}

// The id of a process that has ended.
pid_t ended_process() {
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    return child;
}

// "<file>.tmp.<host>.<pid namespace>.<process id>.<random part>", as a run on this host and in
// this pid namespace names its temporary file.
std::string temporary_name(const std::string& file, pid_t writer) {
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    struct stat name_space {};
    stat("/proc/self/ns/pid", &name_space);
    return file + ".tmp." + host + "." + std::to_string(name_space.st_ino) + "." +
           std::to_string(writer) + ".Xy12zW";
}

// A run killed while writing its report leaves its temporary file behind.
TEST(InterruptedRun, TemporaryReportOfAKilledWriterIsRemovedByTheNextRun) {
    TemporaryFolder stacks;
    TemporaryFolder work;
    write_test_stack(stacks.path(), "001", {10, 60, 20});
    const std::string report = report_name(1, 1, 1);
    const std::string abandoned = temporary_name(report, ended_process());
    // A run still writing it: this test's process stands in for it.
    const std::string in_use = temporary_name(report, getpid());
    const std::string of_another_report = temporary_name(report_name(1, 2, 1), ended_process());
    for (const std::string& name : {abandoned, in_use, of_another_report}) {
        write_file(work.path() + name, "2\n");
    }

    const ProgramRun run =
        run_program(kExecutable, {"1", stacks.path(), "1", "1", "3"}, work.path());
    EXPECT_EQ(run.exit_status, 0) << run.standard_output;
    EXPECT_EQ(report_lines(read_file(work.path() + report)), "2\n");
    std::vector<std::string> left = {report, in_use, of_another_report};
    std::sort(left.begin(), left.end());
    EXPECT_EQ(folder_entries(work.path()), left);
}

}  // namespace
