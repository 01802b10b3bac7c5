// OpenCV's image codecs load only when a file needs them: a run over BMP stacks never loads them,
// and without the plugin a file that needs them is an unreadable image with a message saying why.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <opencv2/imgcodecs.hpp>
#include <string>
#include <vector>

#include "test_support.h"

namespace fs = std::filesystem;

namespace {

const std::string kExecutable = BESTFOCUS_EXECUTABLE;

// The executable copied alone into a folder: no plugin beside it.
std::string lone_executable(const TemporaryFolder& folder) {
    const std::string copy = folder.path() + "bestfocus";
    fs::copy_file(kExecutable, copy);
    return copy;
}

// The run with the dynamic loader naming every library it loads on standard error.
ProgramRun run_listing_libraries(const std::string& executable, const std::string& stacks,
                                 const std::string& work) {
    setenv("LD_DEBUG", "libs", 1);
    ProgramRun run = run_program(executable, {"4", stacks, "1", "1", "3"}, work);
    unsetenv("LD_DEBUG");
    return run;
}

TEST(CodecsPlugin, BmpStacksNeverLoadIt) {
    TemporaryFolder stacks;
    TemporaryFolder work;
    write_test_stack(stacks.path(), "001", {100, 150, 100});
    const ProgramRun run = run_listing_libraries(kExecutable, stacks.path(), work.path());
    EXPECT_EQ(run.exit_status, 0) << run.standard_output;
    EXPECT_EQ(run.standard_error.find("imgcodecs"), std::string::npos);
    EXPECT_EQ(run.standard_error.find("bestfocus_opencv_codecs"), std::string::npos);
}

TEST(CodecsPlugin, MissingMakesAPngUnreadableSayingWhy) {
    TemporaryFolder stacks;
    TemporaryFolder work;
    TemporaryFolder alone;
    write_test_stack(stacks.path(), "001", {100, 150, 100});
    const std::string png = stacks.path() + "001/02.bmp";  // a PNG named .bmp
    ASSERT_TRUE(cv::imwrite(png + ".png", cv::imread(png)));
    fs::rename(png + ".png", png);

    const ProgramRun run =
        run_program(lone_executable(alone), {"4", stacks.path(), "1", "1", "3"}, work.path());
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_NE(run.standard_output.find("No se puede abrir el archivo: " + png), std::string::npos)
        << run.standard_output;
    EXPECT_NE(run.standard_error.find("needs OpenCV's image decoders, which cannot be loaded"),
              std::string::npos)
        << run.standard_error;
    // With the plugin beside it, the same file is read.
    EXPECT_EQ(
        run_program(kExecutable, {"4", stacks.path(), "1", "1", "3"}, work.path()).exit_status, 0);
}

TEST(CodecsPlugin, IsLookedForBesideTheRealExecutableOnly) {
    TemporaryFolder stacks;
    TemporaryFolder work;
    TemporaryFolder links;
    write_test_stack(stacks.path(), "001", {100, 150, 100});
    const std::string png = stacks.path() + "001/02.bmp";
    ASSERT_TRUE(cv::imwrite(png + ".png", cv::imread(png)));
    fs::rename(png + ".png", png);
    // Started through a link (argv[0] absolute) beside a file planted under the plugin's name.
    fs::create_symlink(kExecutable, links.path() + "bf");
    write_file(links.path() + "libbestfocus_opencv_codecs.so", "planted");
    const ProgramRun run =
        run_program(links.path() + "bf", {"4", stacks.path(), "1", "1", "3"}, work.path());
    EXPECT_EQ(run.exit_status, 0) << run.standard_output << run.standard_error;
}

}  // namespace
