// The picks as files: exported copies equal the picked inputs byte for byte, picked pages and the
// best stack equal the picked planes at their depth, and outputs that would overwrite an input,
// each other or a report are refused before any work.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <opencv2/imgcodecs.hpp>
#include <string>
#include <vector>

#include "test_support.h"
#include "tiff_files.h"

namespace {

const std::string kExecutable = BESTFOCUS_EXECUTABLE;

bool same_pixels(const cv::Mat& a, const cv::Mat& b) {
    return a.size() == b.size() && a.type() == b.type() && cv::norm(a, b, cv::NORM_INF) == 0;
}

class BestExports : public ::testing::Test {
  protected:
    void SetUp() override {
        // Picks: folder 1 image 3, folder 2 image 5.
        write_test_stack(stacks_.path(), "001", {10, 40, 90, 30, 20}, 40, 30);
        write_test_stack(stacks_.path(), "002", {10, 20, 30, 40, 50}, 40, 30);
    }
    TemporaryFolder stacks_;
    TemporaryFolder work_;
};

TEST_F(BestExports, ExportedFilesAreTheHeldPicksByteForByte) {
    const ProgramRun run = run_program(
        kExecutable,
        {"--export-best=picks", "--best-stack=best.tif", "1,3", stacks_.path(), "1", "2", "5"},
        work_.path());
    ASSERT_EQ(run.exit_status, 0) << run.standard_output << run.standard_error;
    EXPECT_EQ(folder_entries(work_.path() + "picks"),
              (std::vector<std::string>{"001_tenengrad.bmp", "001_vollath-f4.bmp",
                                        "002_tenengrad.bmp", "002_vollath-f4.bmp"}));
    for (const char* method : {"tenengrad", "vollath-f4"}) {
        SCOPED_TRACE(method);
        EXPECT_EQ(read_file(work_.path() + "picks/001_" + method + ".bmp"),
                  read_file(stacks_.path() + "001/03.bmp"));
        EXPECT_EQ(read_file(work_.path() + "picks/002_" + method + ".bmp"),
                  read_file(stacks_.path() + "002/05.bmp"));
    }
    std::vector<cv::Mat> pages;
    ASSERT_TRUE(cv::imreadmulti(work_.path() + "best.tif", pages, cv::IMREAD_UNCHANGED));
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_TRUE(
        same_pixels(pages[0], cv::imread(stacks_.path() + "001/03.bmp", cv::IMREAD_GRAYSCALE)));
    EXPECT_TRUE(
        same_pixels(pages[1], cv::imread(stacks_.path() + "002/05.bmp", cv::IMREAD_GRAYSCALE)));
}

// A disk that takes the small picks only (a limit on file sizes stands for it): every export is
// attempted, each that fails is named, the others are written whole, and none is left half.
TEST_F(BestExports, OnAFullDiskEveryPickIsAttemptedAndEachFailureNamed) {
    TemporaryFolder stacks;
    write_test_stack(stacks.path(), "001", {10, 90, 30}, 200, 100);  // 20 KB a file
    write_test_stack(stacks.path(), "002", {10, 20, 90}, 40, 30);    // 2 KB
    write_test_stack(stacks.path(), "003", {90, 20, 10}, 200, 100);
    write_test_stack(stacks.path(), "004", {10, 90, 10}, 40, 30);
    // dash counts in blocks of 512 bytes: 12 KiB.
    const ProgramRun run =
        run_program("/bin/sh",
                    {"-c", "ulimit -f 24; trap '' XFSZ; exec \"$0\" \"$@\"", kExecutable,
                     "--export-best=picks", "1,3", stacks.path(), "1", "4", "3"},
                    work_.path());
    EXPECT_EQ(run.exit_status, 1) << run.standard_error;
    EXPECT_EQ(folder_entries(work_.path() + "picks"),
              (std::vector<std::string>{"002_tenengrad.bmp", "002_vollath-f4.bmp",
                                        "004_tenengrad.bmp", "004_vollath-f4.bmp"}));
    for (const char* name :
         {"001_tenengrad", "001_vollath-f4", "003_tenengrad", "003_vollath-f4"}) {
        EXPECT_NE(run.standard_error.find("cannot export the pick picks/" + std::string(name)),
                  std::string::npos)
            << name << run.standard_error;
    }
    EXPECT_EQ(read_file(work_.path() + "picks/004_tenengrad.bmp"),
              read_file(stacks.path() + "004/02.bmp"));
}

TEST_F(BestExports, PicksOfMultiPageFilesKeepTheirSixteenBits) {
    std::vector<cv::Mat> planes;
    for (const int amplitude : {3000, 9000, 60000, 20000}) {
        planes.push_back(checkerboard(24, 16, CV_16UC1, cv::Scalar(amplitude)));
    }
    write_tiff(stacks_.path() + "007.tif", planes);
    const ProgramRun run =
        run_program(kExecutable,
                    {"--folder-names=%03d.tif", "--export-best=picks", "--best-stack=best.tif", "3",
                     stacks_.path(), "7", "7", "0"},
                    work_.path());
    ASSERT_EQ(run.exit_status, 0) << run.standard_output << run.standard_error;
    const cv::Mat exported =
        cv::imread(work_.path() + "picks/007_tenengrad.tif", cv::IMREAD_UNCHANGED);
    EXPECT_TRUE(same_pixels(exported, planes[2]));
    std::vector<cv::Mat> pages;
    ASSERT_TRUE(cv::imreadmulti(work_.path() + "best.tif", pages, cv::IMREAD_UNCHANGED));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(same_pixels(pages[0], planes[2]));
}

TEST_F(BestExports, LinkedPicksAreTheInputsThemselves) {
    const ProgramRun run = run_program(kExecutable,
                                       {"--export-best=" + work_.path() + "picks",
                                        "--export-best-link", "3", stacks_.path(), "1", "1", "5"},
                                       work_.path());
    ASSERT_EQ(run.exit_status, 0) << run.standard_error;
    EXPECT_TRUE(std::filesystem::equivalent(work_.path() + "picks/001_tenengrad.bmp",
                                            stacks_.path() + "001/03.bmp"));
}

TEST_F(BestExports, FoldersNamedAlikeAreRefusedAlsoIntoAFolderNotMadeYet) {
    write_test_stack(stacks_.path(), "001/plane", {10, 40, 20});
    write_test_stack(stacks_.path(), "002/plane", {10, 40, 20});
    const ProgramRun run = run_program(
        kExecutable,
        {"--folder-names=%03d/plane", "--export-best=new", "3", stacks_.path(), "1", "2", "3"},
        work_.path());
    EXPECT_EQ(run.exit_status, 2);
    EXPECT_NE(run.standard_output.find("the export of folder 1's tenengrad pick, "
                                       "new/plane_tenengrad.bmp and the export of folder 2's "
                                       "tenengrad pick, new/plane_tenengrad.bmp are the same file"),
              std::string::npos)
        << run.standard_output;
    EXPECT_TRUE(folder_entries(work_.path()).empty());
}

// What lies at folder 1's Tenengrad export before a run exports there (a link to an input made by
// an earlier --export-best-link, a link planted to another file, a FIFO planted), and whether the
// run links its picks: the entry is replaced, nothing behind it opened.
struct EarlierEntry {
    const char* what;
    int kind;  // 0 hard link to the pick, 1 symbolic link to another file, 2 FIFO
    bool link;
};

class ExportsOverEarlierEntries : public BestExports,
                                  public ::testing::WithParamInterface<EarlierEntry> {};

TEST_P(ExportsOverEarlierEntries, ReplaceThemWithoutOpeningThem) {
    const std::string picks = work_.path() + "picks/";
    const std::string pick = stacks_.path() + "001/03.bmp";
    const std::string input = read_file(pick);
    std::filesystem::create_directory(picks);
    write_file(work_.path() + "victim", "precious");
    const int kind = GetParam().kind;
    if (kind == 0) std::filesystem::create_hard_link(pick, picks + "001_tenengrad.bmp");
    if (kind == 1) std::filesystem::create_symlink("../victim", picks + "001_tenengrad.bmp");
    if (kind == 2) {
        ASSERT_EQ(mkfifo((picks + "001_tenengrad.bmp").c_str(), 0600), 0);
    }
    std::vector<std::string> arguments{"--export-best=picks", "3", stacks_.path(), "1", "1", "5"};
    if (GetParam().link) arguments.insert(arguments.begin(), "--export-best-link");
    RunOptions options;
    options.time_limit = std::chrono::seconds(20);
    const ProgramRun run = run_program(kExecutable, arguments, work_.path(), options);
    ASSERT_EQ(run.exit_status, 0) << run.standard_output << run.standard_error;
    EXPECT_TRUE(std::filesystem::is_regular_file(
        std::filesystem::symlink_status(picks + "001_tenengrad.bmp")));
    EXPECT_EQ(read_file(picks + "001_tenengrad.bmp"), input);
    EXPECT_EQ(read_file(pick), input);
    EXPECT_EQ(std::filesystem::equivalent(picks + "001_tenengrad.bmp", pick), GetParam().link);
    EXPECT_EQ(folder_entries(picks), std::vector<std::string>{"001_tenengrad.bmp"});
    EXPECT_EQ(read_file(work_.path() + "victim"), "precious");
}

INSTANTIATE_TEST_SUITE_P(BestExports, ExportsOverEarlierEntries,
                         ::testing::Values(EarlierEntry{"LinkedExportLinkedAgain", 0, true},
                                           EarlierEntry{"LinkedExportCopied", 0, false},
                                           EarlierEntry{"PlantedLinkToAnotherFile", 1, false},
                                           EarlierEntry{"PlantedFifo", 2, false}),
                         [](const auto& info) { return std::string(info.param.what); });

// Arguments before the positional ones, with the two names the refusal must give; %s stands for
// the stacks' base folder.
struct Collision {
    std::vector<std::string> options;
    std::vector<std::string> named;
};

void PrintTo(const Collision& collision, std::ostream* out) {
    for (const std::string& option : collision.options) *out << option << ' ';
}

class CollidingOutputs : public BestExports, public ::testing::WithParamInterface<Collision> {};

TEST_P(CollidingOutputs, AreRefusedBeforeAnyWork) {
    std::vector<std::string> arguments;
    for (std::string option : GetParam().options) {
        const std::size_t base = option.find("%s");
        if (base != std::string::npos) option.replace(base, 2, stacks_.path());
        arguments.push_back(option);
    }
    for (const char* positional : {"3", "", "1", "1", "5"}) {
        arguments.push_back(*positional ? positional : stacks_.path());
    }
    const std::string input = read_file(stacks_.path() + "001/02.bmp");
    const ProgramRun run = run_program(kExecutable, arguments, work_.path());
    EXPECT_EQ(run.exit_status, 2);
    for (const std::string& name : GetParam().named) {
        EXPECT_NE(run.standard_output.find(name), std::string::npos) << run.standard_output;
    }
    EXPECT_EQ(read_file(stacks_.path() + "001/02.bmp"), input);
    EXPECT_TRUE(folder_entries(work_.path()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    BestExports, CollidingOutputs,
    ::testing::Values(
        Collision{{"--scores=a.csv", "--summary=./a.csv"}, {"--scores=a.csv", "--summary=./a.csv"}},
        Collision{{"--best-stack=%s001/02.bmp"}, {"--best-stack=", "the input image"}},
        Collision{{"--html=%s001/../001/02.bmp"}, {"--html=", "001/02.bmp"}},
        Collision{{"--summary=BestFocus_AutofocusStacks_Folder_1_to_1_method_3.txt"},
                  {"the report", "--summary="}},
        Collision{{"--export-best=.", "--scores=001_tenengrad.bmp"},
                  {"the export of folder 1's tenengrad pick", "--scores="}},
        Collision{{"--html=%s001"}, {"is a folder"}},
        Collision{{"--export-best-link"}, {"needs --export-best=DIR"}},
        Collision{{"--export-best=%s001/02.bmp"}, {"is not a folder"}}));

}  // namespace
