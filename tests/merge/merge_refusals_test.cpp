// bestfocus_merge on run folders written by the test: pieces of reports, CSV files and completion
// marks made up from a formula, so the merged outputs are known without the tool.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "shell_command.h"
#include "test_support.h"
#include "tiff_files.h"

namespace {

const std::string kMerge = BESTFOCUS_MERGE_EXECUTABLE;
const int kMethods[] = {1, 3};
constexpr int kImagesPerStack = 3;

int pick(int folder, int method) { return (folder * method) % kImagesPerStack + 1; }

std::string report_text(int first, int last, int method, const std::string& seconds) {
    std::string text;
    for (int folder = first; folder <= last; ++folder) {
        text += std::to_string(pick(folder, method)) + "\n";
    }
    return text + "\nTotal time: " + seconds + " seconds...";
}

const char kScoresHeader[] = "folder,image,method,score,relative_score,best\n";
const char kSummaryHeader[] = "folder,method,best,fractional_best,flags\n";

std::string scores_rows(int folder) {
    std::string rows;
    for (int image = 1; image <= kImagesPerStack; ++image) {
        for (const int method : kMethods) {
            const bool best = image == pick(folder, method);
            rows += std::to_string(folder) + "," + std::to_string(image) + "," +
                    std::to_string(method) + "," + std::to_string(folder * 1000 + image) +
                    ".0625," + (best ? "1" : "0.5") + "," + (best ? "1" : "0") + "\n";
        }
    }
    return rows;
}

std::string summary_rows(int folder) {
    std::string rows;
    for (const int method : kMethods) {
        const std::string best = std::to_string(pick(folder, method));
        rows += std::to_string(folder) + "," + std::to_string(method) + "," + best + "," + best +
                ",flat;two-peaks\n";
    }
    return rows;
}

std::string table(const std::string& header, std::string (*rows)(int), int first, int last) {
    std::string text = header;
    for (int folder = first; folder <= last; ++folder) {
        text += rows(folder);
    }
    return text;
}

std::string piece_name(int first, int last) {
    return "folders_" + std::to_string(first) + "_to_" + std::to_string(last);
}

// A run of folders 1 to 6 in three pieces, each complete with the reports of methods 1 and 3 and
// both CSV files; the test then damages it.
class MergeRun : public ::testing::Test {
  public:
    void SetUp() override {
        write_piece(1, 2, "100.5", "110.25");
        write_piece(3, 4, "101", "108");
        write_piece(5, 6, "102", "111.75");
    }

    std::string piece(int first, int last) const {
        return run_.path() + piece_name(first, last) + "/";
    }
    const std::string& run_path() const { return run_.path(); }

    void write_piece(int first, int last, const std::string& start, const std::string& end) {
        const std::string folder = piece(first, last);
        std::filesystem::create_directories(folder);
        for (const int method : kMethods) {
            write_file(folder + report_name(first, last, method),
                       report_text(first, last, method, "1.500000"));
        }
        write_file(folder + "scores.csv", table(kScoresHeader, scores_rows, first, last));
        write_file(folder + "summary.csv", table(kSummaryHeader, summary_rows, first, last));
        write_file(folder + "complete", "first=" + std::to_string(first) +
                                            "\nlast=" + std::to_string(last) + "\nstart=" + start +
                                            "\nend=" + end + "\n");
    }

  protected:
    CommandResult merge(int first, int last, const std::string& options = "") {
        return run_shell("cd " + quoted(work_.path()) + " && " + quoted(kMerge) + " " + options +
                         " " + quoted(run_.path()) + " " + std::to_string(first) + " " +
                         std::to_string(last));
    }
    CommandResult merge_all(int first, int last) {
        return merge(first, last, "--scores=all_scores.csv --summary=all_summary.csv");
    }

    // The outputs of a merge of folders first to last, whose pieces ran from the earliest start
    // to the latest end given.
    void expect_merged(int first, int last, const std::string& seconds) {
        std::vector<std::string> expected_files = {"all_scores.csv", "all_summary.csv"};
        for (const int method : kMethods) {
            expected_files.push_back(report_name(first, last, method));
            EXPECT_EQ(read_file(work_.path() + report_name(first, last, method)),
                      report_text(first, last, method, seconds));
        }
        std::sort(expected_files.begin(), expected_files.end());
        EXPECT_EQ(folder_entries(work_.path()), expected_files);
        EXPECT_EQ(read_file(work_.path() + "all_scores.csv"),
                  table(kScoresHeader, scores_rows, first, last));
        EXPECT_EQ(read_file(work_.path() + "all_summary.csv"),
                  table(kSummaryHeader, summary_rows, first, last));
    }

    TemporaryFolder run_;
    TemporaryFolder work_;
};

TEST_F(MergeRun, JoinsThePiecesAndTimesFromTheFirstStartToTheLastEnd) {
    const CommandResult merged = merge_all(1, 6);
    EXPECT_EQ(merged.exit_status, 0) << merged.output;
    expect_merged(1, 6, "11.250000");
}

TEST_F(MergeRun, TakesAFolderInTwoPiecesOnceWhenTheyAgree) {
    write_piece(4, 5, "99.0", "105");
    const CommandResult merged = merge_all(1, 6);
    EXPECT_EQ(merged.exit_status, 0) << merged.output;
    expect_merged(1, 6, "12.750000");
}

TEST_F(MergeRun, MergesASubRangeLookingOnlyAtThePiecesInIt) {
    std::filesystem::remove(piece(5, 6) + "complete");
    const CommandResult merged = merge_all(2, 4);
    EXPECT_EQ(merged.exit_status, 0) << merged.output;
    expect_merged(2, 4, "9.750000");
}

TEST_F(MergeRun, WritesOnlyTheReportsWhenNoCsvFileIsAskedFor) {
    std::filesystem::remove(piece(3, 4) + "scores.csv");
    const CommandResult merged = merge(1, 6);
    EXPECT_EQ(merged.exit_status, 0) << merged.output;
    EXPECT_EQ(folder_entries(work_.path()),
              (std::vector<std::string>{report_name(1, 6, 1), report_name(1, 6, 3)}));
}

struct Refusal {
    const char* name;
    std::function<void(MergeRun&)> damage;
    std::string message;  // a part of the refusal
};

void PrintTo(const Refusal& refusal, std::ostream* out) { *out << refusal.name; }

class MergeRefusal : public MergeRun, public ::testing::WithParamInterface<Refusal> {};

// Replaces the file with a FIFO that no one writes: reading it would wait for ever.
void make_fifo(const std::string& path) {
    std::filesystem::remove(path);
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
}

void replace_text(const std::string& path, const std::string& old_text,
                  const std::string& new_text) {
    std::string text = read_file(path);
    ASSERT_NE(text.find(old_text), std::string::npos) << path;
    text.replace(text.find(old_text), old_text.size(), new_text);
    write_file(path, text);
}

void replace_first_line(const std::string& path, const std::string& line) {
    const std::string text = read_file(path);
    write_file(path, line + text.substr(text.find('\n')));
}

void cut_file(const std::string& path, std::size_t bytes) {
    write_file(path, read_file(path).substr(0, bytes));
}

const Refusal kRefusals[] = {
    {"IncompletePiece",
     [](MergeRun& run) { std::filesystem::remove(run.piece(3, 4) + "complete"); },
     "folders_3_to_4 is incomplete"},
    {"FoldersInNoPiece", [](MergeRun& run) { std::filesystem::remove_all(run.piece(3, 4)); },
     "folders 3 to 4 of folders 1 to 6 are in no piece"},
    {"FolderInTwoPiecesWithOtherPicks",
     [](MergeRun& run) {
         run.write_piece(4, 5, "100", "101");
         const std::string report = run.piece(4, 5) + report_name(4, 5, 3);
         write_file(report, "3\n" + read_file(report).substr(2));
     },
     "folder 4 is in folders_3_to_4 and folders_4_to_5 with different results"},
    {"FolderInTwoPiecesWithOtherScores",
     [](MergeRun& run) {
         run.write_piece(5, 5, "100", "101");
         const std::string scores = run.piece(5, 5) + "scores.csv";
         std::string text = read_file(scores);
         text.replace(text.find(".0625"), 5, ".0626");
         write_file(scores, text);
     },
     "folder 5 is in folders_5_to_5 and folders_5_to_6 with different results"},
    {"ReportCutShort", [](MergeRun& run) { cut_file(run.piece(5, 6) + report_name(5, 6, 3), 2); },
     "folders_5_to_6: " + report_name(5, 6, 3) + " is not a complete report"},
    {"ReportWithoutTimeLine",
     [](MergeRun& run) { cut_file(run.piece(1, 2) + report_name(1, 2, 1), 4); },
     "folders_1_to_2: " + report_name(1, 2, 1) + " is not a complete report"},
    {"NoReport",
     [](MergeRun& run) {
         for (const int method : kMethods) {
             std::filesystem::remove(run.piece(3, 4) + report_name(3, 4, method));
         }
     },
     "folders_3_to_4 holds no report of folders 3 to 4"},
    {"MethodMissingFromAPiece",
     [](MergeRun& run) { std::filesystem::remove(run.piece(5, 6) + report_name(5, 6, 3)); },
     "folders_5_to_6 has no report of method 3, which folders_1_to_2 has"},
    {"DamagedCompletionMark",
     [](MergeRun& run) {
         write_file(run.piece(3, 4) + "complete", "first=3\nlast=4\nstart=soon\nend=12\n");
     },
     "folders_3_to_4: its completion mark"},
    {"CompletionMarkOfAnotherRange",
     [](MergeRun& run) {
         write_file(run.piece(3, 4) + "complete", "first=3\nlast=5\nstart=1\nend=2\n");
     },
     "folders_3_to_4: its completion mark is for folders 3 to 5"},
    {"NoScores", [](MergeRun& run) { std::filesystem::remove(run.piece(1, 2) + "scores.csv"); },
     "folders_1_to_2 has no scores.csv"},
    {"SummaryWithoutAFolder",
     [](MergeRun& run) {
         write_file(run.piece(5, 6) + "summary.csv", table(kSummaryHeader, summary_rows, 5, 5));
     },
     "folders_5_to_6/summary.csv has no row for folder 6"},
    {"ScoresCutMidLine",
     [](MergeRun& run) {
         const std::string scores = run.piece(3, 4) + "scores.csv";
         cut_file(scores, read_file(scores).size() - 3);
     },
     "folders_3_to_4/scores.csv does not end with a complete line"},
    {"ScoresOutOfFolderOrder",
     [](MergeRun& run) {
         write_file(run.piece(3, 4) + "scores.csv",
                    kScoresHeader + scores_rows(4) + scores_rows(3));
     },
     "folders_3_to_4/scores.csv has a row out of folder order"},
    {"ScoresRowOfTheFolderBefore",
     [](MergeRun& run) {
         write_file(run.piece(3, 4) + "scores.csv",
                    kScoresHeader + scores_rows(2) + scores_rows(3) + scores_rows(4));
     },
     "folders_3_to_4/scores.csv has a row out of folder order or out of its range"},
    {"ScoresOfOtherColumns",
     [](MergeRun& run) {
         const std::string scores = run.piece(3, 4) + "scores.csv";
         write_file(scores,
                    "folder,picture" + read_file(scores).substr(std::strlen("folder,image")));
     },
     "folders_1_to_2 and folders_3_to_4 have CSV files of other columns"},
    // Folder numbers at and beyond the ends of int's range.
    {"PieceOfTheWholeIntRange",
     [](MergeRun& run) {
         const std::string piece = run.run_path() + "folders_-2147483648_to_2147483647/";
         std::filesystem::create_directories(piece);
         write_file(piece + "complete", "first=-2147483648\nlast=2147483647\nstart=1\nend=2\n");
         write_file(piece + report_name(-2147483648, 2147483647, 1),
                    "\nTotal time: 1.000000 seconds...");
     },
     "folders_-2147483648_to_2147483647: " + report_name(-2147483648, 2147483647, 1) +
         " is not a complete report"},
    {"PieceBeyondIntRange",
     [](MergeRun& run) {
         std::filesystem::create_directories(run.run_path() + "folders_5_to_2147483648");
     },
     "folders_5_to_2147483648 is not a piece"},
    // Fields that are not what bestfocus writes, and files of a piece that contradict each other.
    {"PickOfZero",
     [](MergeRun& run) { replace_first_line(run.piece(3, 4) + report_name(3, 4, 1), "0"); },
     "folders_3_to_4: " + report_name(3, 4, 1) + " is not a complete report"},
    {"PickBeyondTheImages",
     [](MergeRun& run) { replace_first_line(run.piece(3, 4) + report_name(3, 4, 1), "999"); },
     "folders_3_to_4/scores.csv, folder 3: its best rows of method 1 do not say image 999"},
    {"SummaryContradictsTheReport",
     [](MergeRun& run) {
         const std::string summary = run.piece(5, 6) + "summary.csv";
         std::string text = read_file(summary);
         text.replace(text.find("\n6,1,"), 8, "\n6,1,3,3");  // the report picks 6 * 1 % 3 + 1 = 1
         write_file(summary, text);
     },
     "folders_5_to_6/summary.csv, folder 6: method 1 says best 3"},
    {"ScriptInAScoresRow",
     [](MergeRun& run) { replace_text(run.piece(3, 4) + "scores.csv", "3001.0625", "<script>"); },
     "folders_3_to_4/scores.csv has a row that bestfocus does not write"},
    {"FormulaAsAFlag",
     [](MergeRun& run) {
         replace_text(run.piece(1, 2) + "summary.csv", "flat;two-peaks", "=cmd|calc!A1");
     },
     "folders_1_to_2/summary.csv has a row that bestfocus does not write"},
    {"ScriptInEveryHeader",
     [](MergeRun& run) {
         for (const auto& [first, last] : {std::pair{1, 2}, {3, 4}, {5, 6}}) {
             replace_text(run.piece(first, last) + "scores.csv", "best\n", "<script>\n");
         }
     },
     "folders_1_to_2/scores.csv has columns bestfocus does not write"},
    {"EndTimeOf1e300",
     [](MergeRun& run) {
         write_file(run.piece(1, 2) + "complete", "first=1\nlast=2\nstart=100\nend=1e300\n");
     },
     "folders_1_to_2: its completion mark"},
    // Files that are not regular, or larger than their piece's range allows.
    {"ReportIsAFifo", [](MergeRun& run) { make_fifo(run.piece(3, 4) + report_name(3, 4, 3)); },
     "folders_3_to_4: " + report_name(3, 4, 3) + " is not a regular file"},
    {"ReportLinksToDevZero",
     [](MergeRun& run) {
         std::filesystem::remove(run.piece(5, 6) + report_name(5, 6, 1));
         std::filesystem::create_symlink("/dev/zero", run.piece(5, 6) + report_name(5, 6, 1));
     },
     "folders_5_to_6: " + report_name(5, 6, 1) + " is not a regular file"},
    {"ReportLargerThanItsRange",
     [](MergeRun& run) {
         write_file(run.piece(1, 2) + report_name(1, 2, 1),
                    std::string(1000, '1') + "\n1\n\nTotal time: 1.000000 seconds...");
     },
     "folders_1_to_2: " + report_name(1, 2, 1) + " is larger than"},
    {"CompletionMarkIsAFifo", [](MergeRun& run) { make_fifo(run.piece(1, 2) + "complete"); },
     "folders_1_to_2: its completion mark"},
    {"ScoresIsAFifo", [](MergeRun& run) { make_fifo(run.piece(3, 4) + "scores.csv"); },
     "folders_3_to_4/scores.csv is not a regular file"},
};

// Refused: status 1, the problem named, and the working folder as it was, its earlier report
// untouched.
TEST_P(MergeRefusal, NamesTheProblemAndWritesNothing) {
    GetParam().damage(*this);
    const std::string earlier_report = work_.path() + report_name(1, 6, 1);
    write_file(earlier_report, "an earlier report");
    const CommandResult merged = merge_all(1, 6);
    EXPECT_EQ(merged.exit_status, 1);
    EXPECT_NE(merged.output.find(GetParam().message), std::string::npos) << merged.output;
    EXPECT_EQ(folder_entries(work_.path()), std::vector<std::string>{report_name(1, 6, 1)});
    EXPECT_EQ(read_file(earlier_report), "an earlier report");
}

INSTANTIATE_TEST_SUITE_P(Damages, MergeRefusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

// A piece's best stack is read as what it must be: one gray page per folder of the piece, each
// naming its folder and pick.
struct BestStackDamage {
    const char* name;
    std::function<void(const std::string& path)> write;
    std::string message;
};

void PrintTo(const BestStackDamage& damage, std::ostream* out) { *out << damage.name; }

class MergeBestStackRefusal : public MergeRun,
                              public ::testing::WithParamInterface<BestStackDamage> {};

TEST_P(MergeBestStackRefusal, NamesThePieceAndWritesNothing) {
    GetParam().write(piece(1, 2) + "best_stack.tif");  // the first piece read
    const CommandResult merged = merge(1, 6, "--best-stack=all.tif");
    EXPECT_EQ(merged.exit_status, 1);
    EXPECT_NE(merged.output.find("folders_1_to_2/best_stack.tif" + GetParam().message),
              std::string::npos)
        << merged.output;
    EXPECT_TRUE(folder_entries(work_.path()).empty());
}

cv::Mat gray_page() { return cv::Mat(4, 6, CV_8UC1, cv::Scalar(9)); }

// Pages naming folder 1's and 2's picks (images 2 and 3), each read from `where_read` in the
// piece's folder, which holds gray_page() as pick.tif.
void write_named_pages(const std::string& path, const std::vector<cv::Mat>& pages,
                       const std::string& where_read) {
    write_tiff(path.substr(0, path.rfind('/') + 1) + "pick.tif", {gray_page()});
    write_tiff(path, pages, {},
               {"folder 1, image 2: " + where_read, "folder 2, image 3: " + where_read});
}

const BestStackDamage kBestStackDamages[] = {
    {"Missing", [](const std::string&) {}, " No such file"},
    {"NotATiff", [](const std::string& path) { write_file(path, "II*\0 not really"); },
     " it is not a TIFF file"},
    {"MorePagesThanFolders",
     [](const std::string& path) {
         write_tiff(path, {gray_page(), gray_page(), gray_page()});
     },
     " it has more than 2 pages"},
    {"FewerPagesThanFolders", [](const std::string& path) { write_tiff(path, {gray_page()}); },
     " has 1 pages for 2 folders"},
    {"ColourPage",
     [](const std::string& path) {
         write_tiff(path, {cv::Mat(4, 6, CV_8UC3, cv::Scalar(1, 2, 3)), gray_page()});
     },
     " a page is not one gray channel"},
    {"PagesNamingNoPick",
     [](const std::string& path) {
         write_tiff(path, {gray_page(), gray_page()});
     },
     " page 1 is not the pick of folder 1"},
    {"PageOfOtherPixels",
     [](const std::string& path) {
         write_named_pages(path, {gray_page() + 1, gray_page()}, "pick.tif");
     },
     " page 1 is not the image it names, pick.tif"},
    {"PageOfAnotherDepth",
     [](const std::string& path) {
         cv::Mat deeper;
         gray_page().convertTo(deeper, CV_16U);
         write_named_pages(path, {deeper, gray_page()}, "pick.tif");
     },
     " page 1 is not the image it names, pick.tif"},
    {"PageNamingNoImageThere",
     [](const std::string& path) {
         write_named_pages(path, {gray_page(), gray_page()}, "gone.tif");
     },
     " page 1 is not the image it names, gone.tif, or that image cannot be read"},
    {"MarkupAfterThePick",
     [](const std::string& path) {
         write_named_pages(path, {gray_page(), gray_page()}, "<b>pick.tif</b>");
     },
     " page 1's description does not name an image as bestfocus names one"},
};

INSTANTIATE_TEST_SUITE_P(Damages, MergeBestStackRefusal, ::testing::ValuesIn(kBestStackDamages),
                         [](const auto& info) { return std::string(info.param.name); });

// Outputs given on the command line that would overwrite each other, a piece's file or the merged
// report, or that are folders: status 2 before anything is written, both files named.
struct OutputClash {
    const char* name;
    std::function<std::string(MergeRun&)> options;  // run in the working folder
    std::string message;                            // a part of the refusal
};

void PrintTo(const OutputClash& clash, std::ostream* out) { *out << clash.name; }

class MergeOutputClash : public MergeRun, public ::testing::WithParamInterface<OutputClash> {};

const OutputClash kOutputClashes[] = {
    {"ScoresAndSummaryOneFile", [](MergeRun&) { return "--scores=x.csv --summary=./sub/../x.csv"; },
     "--scores=x.csv and --summary=./sub/../x.csv are the same file"},
    {"ScoresOverTheMergedReport",
     [](MergeRun&) { return "--scores=" + report_name(1, 6, 1) + " --summary=s.csv"; },
     "the report " + report_name(1, 6, 1) + " and --scores=" + report_name(1, 6, 1)},
    {"SummaryOverAPiecesFile",
     [](MergeRun& run) { return "--scores=s.csv --summary=" + run.piece(3, 4) + "summary.csv"; },
     "are the same file"},
    {"ScoresThroughALinkToAPiecesFile",
     [](MergeRun& run) {
         std::filesystem::create_symlink(run.piece(1, 2) + "scores.csv", "link.csv");
         return std::string("--scores=link.csv --summary=s.csv");
     },
     "--scores=link.csv and the piece's file"},
    {"ScoresIsAFolder",
     [](MergeRun&) {
         std::filesystem::create_directory("folder.csv");
         return std::string("--scores=folder.csv --summary=s.csv");
     },
     "--scores=folder.csv is a folder"},
};

TEST_P(MergeOutputClash, IsABadCommandLineAndWritesNothing) {
    std::filesystem::create_directory(work_.path() + "sub");
    const std::string earlier_report = work_.path() + report_name(1, 6, 1);
    write_file(earlier_report, "an earlier report");
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(work_.path());
    const std::string options = GetParam().options(*this);
    std::filesystem::current_path(here);
    std::vector<std::string> entries_before = folder_entries(work_.path());
    const CommandResult merged = merge(1, 6, options);
    EXPECT_EQ(merged.exit_status, 2) << merged.output;
    EXPECT_NE(merged.output.find(GetParam().message), std::string::npos) << merged.output;
    EXPECT_EQ(folder_entries(work_.path()), entries_before);
    EXPECT_EQ(read_file(earlier_report), "an earlier report");
}

INSTANTIATE_TEST_SUITE_P(Outputs, MergeOutputClash, ::testing::ValuesIn(kOutputClashes),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MergeRun, BadCommandLinesEndWithStatusTwo) {
    for (const std::string arguments : {"1", "run x 6", "run 1 6 7", "--colour=red run 1 6"}) {
        const CommandResult merged = run_shell(quoted(kMerge) + " " + arguments);
        EXPECT_EQ(merged.exit_status, 2) << arguments << "\n" << merged.output;
        EXPECT_NE(merged.output.find("usage: bestfocus_merge"), std::string::npos);
    }
    const CommandResult reversed = merge(6, 1);
    EXPECT_EQ(reversed.exit_status, 1);
    EXPECT_NE(reversed.output.find("the first folder comes after the last"), std::string::npos);
}

}  // namespace
