// What the tool writes reads back to the same values and is written again byte for byte; what it
// never writes does not read back.
#include <gtest/gtest.h>

#include <sstream>

#include "report_file.h"
#include "score_tables.h"

namespace bestfocus {
namespace {

// Values that %.6g would not keep, negative and zero bests, and every flag.
const std::vector<FolderScores> kFolders = {
    {-7, {{1, {0.1, 0.30000000000000004, 1.0 / 3.0}, 2}, {4, {-2.5e-300, 0.0, 0.0}, 2}}},
    {8, {{1, {5.0, 4.0, 3.0}, 1}, {4, {1e300, 2e300, 3e300}, 3}}},
    {9, {{2, {1, 1, 1, 8, 1, 9, 1}, 6}}},
};

template <typename Row>
void expect_rows_read_back(const std::string& table,
                           std::optional<Row> (*parse)(const std::string&),
                           std::string (*line)(const Row&)) {
    std::istringstream lines(table);
    std::string text;
    std::getline(lines, text);  // the header
    int rows = 0;
    for (; std::getline(lines, text); ++rows) {
        const std::optional<Row> row = parse(text);
        ASSERT_TRUE(row) << text;
        EXPECT_EQ(line(*row), text + "\n");
    }
    EXPECT_GT(rows, 0);
}

TEST(ReadBack, EveryRowTheToolWritesParsesAndIsWrittenAgainByteForByte) {
    expect_rows_read_back(scores_table(kFolders), parse_score_row, score_row_line);
    expect_rows_read_back(summary_table(kFolders), parse_summary_row, summary_row_line);
    const std::vector<int> picks = {1, 20, 2147483647};
    const std::optional<Report> report = parse_report(report_text(picks, 1234.5678915), 3);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->best_images, picks);
    EXPECT_EQ(report_text(report->best_images, report->seconds), report_text(picks, 1234.5678915));
    const std::optional<ReportName> name =
        parse_report_file_name(report_file_name(-3, 2147483647, 13));
    ASSERT_TRUE(name);
    EXPECT_EQ(report_file_name(name->first_folder, name->last_folder, name->method),
              report_file_name(-3, 2147483647, 13));
}

TEST(ReadBack, TextTheToolNeverWritesDoesNotParse) {
    for (const char* line : {"1,1,1,0.5,,2", "1,0,1,0.5,,1", "1,1,0,0.5,,1", "1,1,1,nan,,1",
                             "1,1,1,inf,1,1", "1,1,1,0.5,1,1,", "1,1,1, 0.5,1,1", "1,1,1,0.5,1",
                             "1,1,1,<script>,1,1", "2147483648,1,1,0.5,1,1"}) {
        EXPECT_FALSE(parse_score_row(line)) << line;
    }
    for (const char* line :
         {"1,1,1,1,late", "1,1,1,1,flat;edge", "1,1,1,1,edge;", "1,1,1,1,;edge",
          "1,1,1,1,edge;edge", "1,1,0,1,", "1,1,1,1e999,", "1,1,1,1,=cmd|calc!A1"}) {
        EXPECT_FALSE(parse_summary_row(line)) << line;
    }
    for (const char* text :
         {"0\n\nTotal time: 1.000000 seconds...", "-5\n\nTotal time: 1.000000 seconds...",
          "01\n\nTotal time: 1.000000 seconds...", "1\n\nTotal time: 1.0 seconds...",
          "1\n\nTotal time: -1.000000 seconds...", "1\n\nTotal time: 1.000000 seconds",
          "1\n2\n\nTotal time: 1.000000 seconds..."}) {
        EXPECT_FALSE(parse_report(text, 1)) << text;
    }
    for (const char* name : {"BestFocus_AutofocusStacks_Folder_1_to_2_method_1.txt.tmp",
                             "BestFocus_AutofocusStacks_Folder_01_to_2_method_1.txt",
                             "BestFocus_AutofocusStacks_Folder_1_to_2147483648_method_1.txt"}) {
        EXPECT_FALSE(parse_report_file_name(name)) << name;
    }
}

}  // namespace
}  // namespace bestfocus
