// The scores and summary tables read back as CSV, and written files replaced only when complete.
#include "score_tables.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace bestfocus {
namespace {

std::vector<std::vector<std::string>> read_csv(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ',');) fields.push_back(cell);
        if (!line.empty() && line.back() == ',') fields.push_back("");
        rows.push_back(fields);
    }
    return rows;
}

// Two folders, two methods; values that %.6g would not keep.
const std::vector<FolderScores> kFolders = {
    {7, {{1, {0.1, 0.30000000000000004, 1.0 / 3.0}, 2}, {4, {-2.5e-300, 0.0, 0.0}, 2}}},
    {8, {{1, {5.0, 4.0, 3.0}, 1}, {4, {1e300, 2e300, 3e300}, 3}}},
};

TEST(ScoresTable, EveryImageAndMethodReadsBackExactly) {
    const auto rows = read_csv(scores_table(kFolders));
    ASSERT_EQ(rows.size(), 1u + 2 * 3 * 2);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"folder", "image", "method", "score",
                                                 "relative_score", "best"}));
    std::size_t row = 1;
    for (const FolderScores& folder : kFolders) {
        for (int image = 1; image <= 3; ++image) {
            for (const MethodScores& method : folder.methods) {
                const auto& fields = rows[row++];
                ASSERT_EQ(fields.size(), 6u);
                EXPECT_EQ(std::stoi(fields[0]), folder.folder);
                EXPECT_EQ(std::stoi(fields[1]), image);
                EXPECT_EQ(std::stoi(fields[2]), method.method);
                const double score = method.scores[static_cast<std::size_t>(image - 1)];
                EXPECT_EQ(std::strtod(fields[3].c_str(), nullptr), score);
                const double best = method.scores[static_cast<std::size_t>(method.best_number - 1)];
                if (best == 0.0) {
                    EXPECT_EQ(fields[4], "");
                } else {
                    EXPECT_EQ(std::strtod(fields[4].c_str(), nullptr), score / best);
                }
                EXPECT_EQ(fields[5], image == method.best_number ? "1" : "0");
            }
        }
    }
}

TEST(SummaryTable, OneRowPerFolderAndMethodWithItsFlags) {
    const auto rows = read_csv(summary_table(kFolders));
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0],
              (std::vector<std::string>{"folder", "method", "best", "fractional_best", "flags"}));
    // Folder 8: picks 1 and 3 disagree, both at an end of the stack.
    EXPECT_EQ(rows[3], (std::vector<std::string>{"8", "1", "1", "1", "edge;disagree"}));
    EXPECT_EQ(rows[4], (std::vector<std::string>{"8", "4", "3", "3", "edge;disagree"}));
    EXPECT_EQ(rows[1][0], "7");
    EXPECT_EQ(rows[1][2], "2");
}

}  // namespace
}  // namespace bestfocus
