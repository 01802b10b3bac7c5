// Which file an output path names, compared with what the file system says: links, "." and ".."
// resolved, also for files that do not exist yet.
#include "output_paths.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "test_support.h"

namespace bestfocus {
namespace {

struct SamePathCase {
    const char* name;
    const char* a;
    const char* b;
    bool same;
};

void PrintTo(const SamePathCase& c, std::ostream* out) { *out << c.name; }

class FileIdentity : public ::testing::TestWithParam<SamePathCase> {
  protected:
    // In the folder: existing.csv, its hard link hard.csv, sub/, a link to existing.csv, a link
    // to the missing new.csv, a link to sub/, and a loop of two links.
    void SetUp() override {
        std::filesystem::create_directory(folder_.path() + "sub");
        std::ofstream(folder_.path() + "existing.csv") << "x";
        std::filesystem::create_hard_link(folder_.path() + "existing.csv",
                                          folder_.path() + "hard.csv");
        std::filesystem::create_symlink("existing.csv", folder_.path() + "link.csv");
        std::filesystem::create_symlink("sub/../new.csv", folder_.path() + "dangling.csv");
        std::filesystem::create_directory_symlink("sub", folder_.path() + "sublink");
        std::filesystem::create_symlink("loop_b", folder_.path() + "loop_a");
        std::filesystem::create_symlink("loop_a", folder_.path() + "loop_b");
    }
    TemporaryFolder folder_;
};

TEST_P(FileIdentity, TwoPathsAreTheSameFileExactlyWhenTheyNameOne) {
    const std::string a = folder_.path() + GetParam().a;
    const std::string b = folder_.path() + GetParam().b;
    EXPECT_FALSE(file_identity(a).empty()) << a;
    EXPECT_EQ(file_identity(a) == file_identity(b), GetParam().same);
    const auto collision = first_collision({{"one", a}, {"two", b}});
    EXPECT_EQ(collision.has_value(), GetParam().same);
}

const SamePathCase kSamePathCases[] = {
    {"DotAndDotDot", "existing.csv", "sub/.././existing.csv", true},
    {"LinkToAFile", "existing.csv", "link.csv", true},
    {"HardLink", "existing.csv", "hard.csv", true},
    {"NewFileThroughDotDot", "new.csv", "sub/../new.csv", true},
    {"NewFileThroughAFolderLink", "sub/new.csv", "sublink/new.csv", true},
    {"LinkToANewFile", "new.csv", "dangling.csv", true},
    {"OtherNames", "new.csv", "sub/new.csv", false},
    {"OtherFiles", "existing.csv", "new.csv", false},
};

INSTANTIATE_TEST_SUITE_P(Paths, FileIdentity, ::testing::ValuesIn(kSamePathCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileIdentity, UnresolvablePathsCollideWithNothing) {
    EXPECT_EQ(file_identity(folder_.path() + "missing/x.csv"), "");
    EXPECT_EQ(file_identity(folder_.path() + "loop_a"), "");
    EXPECT_FALSE(first_collision(
        {{"a", folder_.path() + "missing/x.csv"}, {"b", folder_.path() + "missing/x.csv"}}));
}

TEST_F(FileIdentity, OutputsThatCannotBeWrittenAreNamedUpFront) {
    EXPECT_EQ(output_problem(folder_.path() + "sub"), "is a folder");
    EXPECT_EQ(output_problem(folder_.path() + "sublink"), "is a folder");
    EXPECT_EQ(output_problem(folder_.path() + "missing/x.csv"), "No such file or directory");
    EXPECT_EQ(output_problem(folder_.path() + "loop_a"), "Too many levels of symbolic links");
    EXPECT_EQ(output_problem(folder_.path() + "dangling.csv"), std::nullopt);
    EXPECT_EQ(output_problem(folder_.path() + "link.csv"), std::nullopt);
    EXPECT_EQ(output_problem("/dev/null"), std::nullopt);
}

}  // namespace
}  // namespace bestfocus
