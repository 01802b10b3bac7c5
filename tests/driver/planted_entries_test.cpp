// Outputs with names of the tool's own (exported picks, depth maps, all-in-focus images) over
// entries planted at those names before the run: a symbolic link to another file or a FIFO is
// replaced and nothing behind it opened; a folder is refused before any work.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

namespace fs = std::filesystem;

enum class Planted { link, fifo, folder };

struct PlantedEntry {
    const char* what;
    const char* option;  // the folder's option
    const char* name;    // folder 1's file in it
    Planted planted;
};

void PrintTo(const PlantedEntry& entry, std::ostream* out) { *out << entry.what; }

class PlantedEntries : public ::testing::TestWithParam<PlantedEntry> {};

TEST_P(PlantedEntries, AreReplacedNeverFollowed) {
    TemporaryFolder stacks;
    TemporaryFolder work;
    write_test_stack(stacks.path(), "001", {10, 40, 90, 30, 20}, 40, 30);
    const PlantedEntry& entry = GetParam();
    const std::string folder = work.path() + "out/";
    const std::string planted = folder + entry.name;
    fs::create_directory(folder);
    write_file(work.path() + "victim", "precious");
    switch (entry.planted) {
        case Planted::link: fs::create_symlink("../victim", planted); break;
        case Planted::fifo: ASSERT_EQ(mkfifo(planted.c_str(), 0600), 0); break;
        case Planted::folder: fs::create_directory(planted); break;
    }
    RunOptions options;
    options.time_limit = std::chrono::seconds(30);
    const ProgramRun run = run_program(
        BESTFOCUS_EXECUTABLE,
        {"--tiles=2x2", std::string(entry.option) + "=out", "3", stacks.path(), "1", "1", "5"},
        work.path(), options);
    EXPECT_EQ(read_file(work.path() + "victim"), "precious");
    if (entry.planted == Planted::folder) {
        EXPECT_EQ(run.exit_status, 2) << run.standard_error;
        EXPECT_NE(run.standard_output.find("is a folder"), std::string::npos);
        EXPECT_EQ(folder_entries(work.path()), (std::vector<std::string>{"out", "victim"}));
        return;
    }
    ASSERT_EQ(run.exit_status, 0) << run.standard_output << run.standard_error;
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(planted)));
    EXPECT_GT(fs::file_size(planted), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    OwnNames, PlantedEntries,
    ::testing::Values(
        PlantedEntry{"ExportOverLink", "--export-best", "001_tenengrad.bmp", Planted::link},
        PlantedEntry{"ExportOverFolder", "--export-best", "001_tenengrad.bmp", Planted::folder},
        PlantedEntry{"DepthMapOverLink", "--depth-map", "001_depth.tif", Planted::link},
        PlantedEntry{"DepthMapOverFifo", "--depth-map", "001_depth.tif", Planted::fifo},
        PlantedEntry{"DepthMapOverFolder", "--depth-map", "001_depth.tif", Planted::folder},
        PlantedEntry{"ConfidenceMapOverLink", "--confidence-map", "001_confidence.tif",
                     Planted::link},
        PlantedEntry{"AllInFocusOverLink", "--all-in-focus", "001_focused.tif", Planted::link},
        PlantedEntry{"AllInFocusOverFifo", "--all-in-focus", "001_focused.tif", Planted::fifo},
        PlantedEntry{"AllInFocusOverFolder", "--all-in-focus", "001_focused.tif", Planted::folder}),
    [](const ::testing::TestParamInfo<PlantedEntry>& info) { return info.param.what; });

}  // namespace
