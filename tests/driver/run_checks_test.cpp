// Runs that cannot succeed end before any work, naming the same file every time; stacks of mixed
// sizes are refused; a closed standard output changes nothing but the output; a moved build still
// finds its sample stacks.
#include <gtest/gtest.h>

#include <filesystem>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <string>
#include <vector>

#include "measure_registry.h"
#include "test_support.h"

using namespace bestfocus;

namespace {

namespace fs = std::filesystem;

const std::string kExecutable = BESTFOCUS_EXECUTABLE;
const std::string kCannotOpen = "\nNo se puede abrir el archivo: ";

class RunChecks : public ::testing::Test {
  protected:
    ProgramRun run(const std::vector<std::string>& arguments, const RunOptions& options = {}) {
        return run_program(kExecutable, arguments, work_.path(), options);
    }
    void expect_failure(const ProgramRun& result, const std::string& message) {
        EXPECT_EQ(result.signal, 0);
        EXPECT_EQ(result.exit_status, 1);
        EXPECT_EQ(result.standard_output, message);
        EXPECT_TRUE(folder_entries(work_.path()).empty());
    }
    TemporaryFolder stacks_;
    TemporaryFolder work_;
};

// Counts that would have the tool allocate gigabytes for a run that fails at its fourth image.
TEST_F(RunChecks, HugeCountsEndAtTheFirstMissingImage) {
    write_test_stack(stacks_.path(), "001", {10, 20, 30});
    const ProgramRun images = run({"1", stacks_.path(), "1", "1", "2147483647"});
    expect_failure(images, kCannotOpen + stacks_.path() + "001/04.bmp");
    const ProgramRun folders = run({"1", stacks_.path(), "0", "2147483647", "3"});
    expect_failure(folders, kCannotOpen + stacks_.path() + "000/01.bmp");
}

// Without the walk up front, whichever thread fails first names its image: here the one that
// finds 003/01 at once, while 002/06 comes after a measurement of 002/05.
TEST_F(RunChecks, FirstMissingImageInFolderAndImageOrderIsNamed) {
    for (const char* folder : {"001", "002", "003", "004"}) {
        write_test_stack(stacks_.path(), folder, {10, 20, 30, 40, 50, 60}, 400, 300);
    }
    for (const char* image : {"002/06.bmp", "003/01.bmp", "004/02.bmp"}) {
        fs::remove(stacks_.path() + image);
    }
    for (int repetition = 0; repetition < 3; ++repetition) {
        expect_failure(run({"1", stacks_.path(), "1", "4", "6", "4", "3", "1"}),
                       kCannotOpen + stacks_.path() + "002/06.bmp");
    }
}

TEST_F(RunChecks, MissingFolderIsExplainedOnStandardError) {
    const std::string prefix = stacks_.path() + "miss";  // no final "/"
    const ProgramRun result = run({"1", prefix, "4", "4", "3"});
    expect_failure(result, kCannotOpen + prefix + "004/01.bmp");
    EXPECT_EQ(result.standard_error, "bestfocus: cannot open the file " + prefix + "004/01.bmp\n" +
                                         "bestfocus: there is no folder " + prefix +
                                         "004/ (the base folder \"" + prefix +
                                         "\" is used as a prefix of the folder names, "
                                         "<base><NNN>/, and normally ends in \"/\")\n");
    // A missing image in a folder that is there: which images it has, and how to ask for them.
    write_test_stack(stacks_.path(), "001", {10, 20});
    EXPECT_EQ(run({"1", stacks_.path(), "1", "1", "3"}).standard_error,
              "bestfocus: cannot open the file " + stacks_.path() +
                  "001/03.bmp\nbestfocus: folder 001 has images 01 to 02; pass 2, or 0 for every "
                  "image there is\n");
    // Stacks named as files are multi-page files: the missing file is named, not an image in it.
    const ProgramRun no_file =
        run({"--folder-names=pos_%02d.ome.tif", "1", stacks_.path(), "3", "3"});
    expect_failure(no_file, kCannotOpen + stacks_.path() + "pos_03.ome.tif");
    EXPECT_NE(no_file.standard_error.find("bestfocus: there is no file " + stacks_.path() +
                                          "pos_03.ome.tif (a multi-page stack"),
              std::string::npos);
}

// The measures are sums over the pixels: a large faint image would outscore a small sharp one.
TEST_F(RunChecks, StackOfMixedSizesIsRefused) {
    write_test_stack(stacks_.path(), "001", {20, 20, 20});
    write_test_stack(stacks_.path(), "002", {10, 200, 30}, 64, 64);
    ASSERT_TRUE(
        cv::imwrite(stacks_.path() + "002/03.bmp", checkerboard(200, 200, CV_8U, cv::Scalar(60))));
    for (const MeasureEntry& measure : measure_registry()) {
        SCOPED_TRACE(measure.long_name);
        expect_failure(run({std::to_string(measure.code), stacks_.path(), "1", "2", "3"}),
                       "\nLas imagenes de la carpeta " + stacks_.path() +
                           "002/ no tienen el mismo tamano: 01.bmp mide 64 x 64 y 03.bmp mide "
                           "200 x 200");
    }
}

// A reader of standard output that has gone: the run goes on and its status tells how it went.
TEST_F(RunChecks, ClosedStandardOutputLeavesTheStatus) {
    write_test_stack(stacks_.path(), "001", {10, 60, 20});
    RunOptions closed;
    closed.standard_output_closed = true;
    const ProgramRun success = run({"1", stacks_.path(), "1", "1", "3"}, closed);
    EXPECT_EQ(success.signal, 0);
    EXPECT_EQ(success.exit_status, 0);
    EXPECT_EQ(report_lines(read_file(work_.path() + report_name(1, 1, 1))), "2\n");

    fs::remove(stacks_.path() + "001/03.bmp");
    const ProgramRun failure = run({"1", stacks_.path(), "1", "1", "3"}, closed);
    EXPECT_EQ(failure.signal, 0);
    EXPECT_EQ(failure.exit_status, 1);
}

// Teams the process cannot create: refused before any work, where OpenMP would abort or quietly
// run smaller teams.
TEST_F(RunChecks, TeamsBeyondWhatTheProcessMayCreateAreRefused) {
    write_test_stack(stacks_.path(), "001", {10, 60, 20});
    const std::string run_in = " " + kExecutable + " --engine=cpu 1 " + stacks_.path() + " 1 1 3 ";
    const std::pair<std::string, std::string> cases[] = {
        {"ulimit -v 4000000; OMP_STACKSIZE=8M exec" + run_in + "1024 1 1",
         "would have up to 1024 threads at once, but the "},
        {"OMP_THREAD_LIMIT=4 exec" + run_in + "5 1 1",
         "would have up to 5 threads at once, but OpenMP allows 4 threads (OMP_THREAD_LIMIT)"},
    };
    for (const auto& [command, words] : cases) {
        SCOPED_TRACE(command);
        if (command.rfind("ulimit", 0) == 0 && !kLimitsOnMemoryApply) continue;
        const ProgramRun result = run_program("/bin/sh", {"-c", command}, work_.path());
        EXPECT_EQ(result.signal, 0);
        EXPECT_EQ(result.exit_status, 2);
        EXPECT_EQ(result.standard_output, "");
        EXPECT_NE(result.standard_error.find(words), std::string::npos) << result.standard_error;
        EXPECT_TRUE(folder_entries(work_.path()).empty());
    }
    // Within the limits the same teams run.
    const ProgramRun within =
        run_program("/bin/sh", {"-c", "OMP_THREAD_LIMIT=5 exec" + run_in + "5 1 1"}, work_.path());
    EXPECT_EQ(within.exit_status, 0) << within.standard_error;
}

// The executable copied elsewhere with stacks of its own beside it reads those by default.
TEST_F(RunChecks, MovedBuildReadsTheSampleStacksBesideIt) {
    const std::string moved = stacks_.path() + "moved/";
    fs::create_directories(moved);
    fs::copy_file(kExecutable, moved + "bestfocus");
    // Folder 11 of 20 images, image 17 the sharpest: unlike the bundled stacks' folder 11.
    std::vector<int> amplitudes(20, 30);
    amplitudes[16] = 220;
    write_test_stack(moved + "sample_stacks/", "011", amplitudes);
    const ProgramRun result = run_program(moved + "bestfocus", {}, work_.path());
    EXPECT_EQ(result.exit_status, 0) << result.standard_output;
    EXPECT_EQ(report_lines(read_file(work_.path() + report_name(11, 11, 1))), "17\n");
}

}  // namespace
