// bestfocus_merge on tiled pieces written by the test: tile tables, depth maps and all-in-focus
// images made up from a formula, so what the merge must write, and what it must refuse, is known
// without the tool.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <opencv2/imgcodecs.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "shell_command.h"
#include "test_support.h"

namespace {

const std::string kMerge = BESTFOCUS_MERGE_EXECUTABLE;
const int kMethods[] = {1, 3};
constexpr int kImages = 3;
// A 2 x 2 grid over the 9 x 5 region at (2, 1): columns 0-3 and 4-8, rows 0-1 and 2-4 of it.
constexpr int kTiles = 4;
const int kTileX[] = {2, 6, 2, 6};
const int kTileY[] = {1, 1, 3, 3};
const int kTileWidth[] = {4, 5, 4, 5};
const int kTileHeight[] = {2, 2, 3, 3};

int tile_pick(int folder, int method, int tile) { return (folder + method * tile) % kImages + 1; }

// A peak of one image over a floor: the pick, and (symmetric, or at an end) its own fractional
// best.
std::string tile_score(int folder, int image, int method, int tile) {
    return image == tile_pick(folder, method, tile) ? std::to_string(10 + folder) : "1";
}

// The warnings of a tile's curve: edge at either end, disagree when the methods' picks are more
// than one image apart.
std::string tile_flags(int folder, int method, int tile) {
    const int pick = tile_pick(folder, method, tile);
    const bool disagree = std::abs(tile_pick(folder, 1, tile) - tile_pick(folder, 3, tile)) > 1;
    const std::string edge = pick == 1 || pick == kImages ? "edge" : "";
    return disagree ? edge + (edge.empty() ? "" : ";") + "disagree" : edge;
}

std::string tile_scores_rows(int folder) {
    std::string rows;
    for (int image = 1; image <= kImages; ++image) {
        for (const int method : kMethods) {
            for (int tile = 0; tile < kTiles; ++tile) {
                rows += std::to_string(folder) + "," + std::to_string(image) + "," +
                        std::to_string(method) + "," + std::to_string(tile / 2) + "," +
                        std::to_string(tile % 2) + "," + tile_score(folder, image, method, tile) +
                        "\n";
            }
        }
    }
    return rows;
}

std::string tile_summary_rows(int folder) {
    std::string rows;
    for (const int method : kMethods) {
        for (int tile = 0; tile < kTiles; ++tile) {
            const std::string pick = std::to_string(tile_pick(folder, method, tile));
            rows += std::to_string(folder) + "," + std::to_string(method) + "," +
                    std::to_string(tile / 2) + "," + std::to_string(tile % 2) + "," +
                    std::to_string(kTileX[tile]) + "," + std::to_string(kTileY[tile]) + "," +
                    std::to_string(kTileWidth[tile]) + "," + std::to_string(kTileHeight[tile]) +
                    "," + pick + "," + pick + "," + tile_flags(folder, method, tile) + "\n";
        }
    }
    return rows;
}

const std::string kSummaryAndMaps =
    "--tile-summary=tile_summary.csv --depth-map=depth --all-in-focus=focused";
const std::string kAllTiled = "--tile-scores=tile_scores.csv " + kSummaryAndMaps;

const char kTileScoresHeader[] = "folder,image,method,tile_row,tile_col,score\n";
const char kTileSummaryHeader[] =
    "folder,method,tile_row,tile_col,x,y,width,height,best,fractional_best,flags\n";

std::string table(const std::string& header, std::string (*rows)(int), int first, int last) {
    std::string text = header;
    for (int folder = first; folder <= last; ++folder) {
        text += rows(folder);
    }
    return text;
}

std::string folder_name(int folder) {
    const std::string number = std::to_string(folder);
    return std::string(3 - number.size(), '0') + number;
}

void write_image(const std::string& path, const cv::Mat& image) {
    ASSERT_TRUE(cv::imwrite(path, image, {cv::IMWRITE_TIFF_COMPRESSION, 1})) << path;
}

// Folders 1 to 4 in two pieces, each complete with its reports, tile tables and maps, all of the
// 9 x 5 region; the test then damages them.
class TiledRun : public ::testing::Test {
  public:
    void SetUp() override {
        write_piece(1, 2);
        write_piece(3, 4);
    }

    std::string piece(int first, int last) const {
        return run_.path() + "folders_" + std::to_string(first) + "_to_" + std::to_string(last) +
               "/";
    }
    std::string depth_map(int first, int last, int folder) const {
        return piece(first, last) + "depth/" + folder_name(folder) + "_depth.tif";
    }

    void write_piece(int first, int last) {
        const std::string folder = piece(first, last);
        std::filesystem::create_directories(folder + "depth");
        std::filesystem::create_directories(folder + "focused");
        for (const int method : kMethods) {
            std::string report;
            for (int each = first; each <= last; ++each) {
                report += std::to_string((each * method) % kImages + 1) + "\n";
            }
            write_file(folder + report_name(first, last, method),
                       report + "\nTotal time: 1.500000 seconds...");
        }
        write_file(folder + "tile_scores.csv",
                   table(kTileScoresHeader, tile_scores_rows, first, last));
        write_file(folder + "tile_summary.csv",
                   table(kTileSummaryHeader, tile_summary_rows, first, last));
        for (int each = first; each <= last; ++each) {
            // Any value between the first method's tile picks.
            write_image(depth_map(first, last, each),
                        cv::Mat(5, 9, CV_32F, cv::Scalar(tile_pick(each, 1, 0))));
            write_image(folder + "focused/" + folder_name(each) + "_focused.tif",
                        cv::Mat(5, 9, CV_8U, cv::Scalar(each)));
        }
        record(first, last);
    }

    // The piece's completion mark, recording its options and the maps now in it as the array
    // script records them (sizes and SHA-256 checksums, from sha256sum).
    void record(int first, int last, const std::string& options = "option=method=1,3\n") {
        const std::string folder = piece(first, last);
        std::string maps;
        for (const char* kind : {"depth", "focused"}) {
            for (int each = first; each <= last; ++each) {
                const std::string name =
                    std::string(kind) + "/" + folder_name(each) + "_" + kind + ".tif";
                if (!std::filesystem::exists(folder + name)) continue;
                const CommandResult sum = run_shell("sha256sum < " + quoted(folder + name));
                maps += "map=" + name + " " +
                        std::to_string(std::filesystem::file_size(folder + name)) + " " +
                        sum.output.substr(0, 64) + "\n";
            }
        }
        write_file(folder + "complete", "first=" + std::to_string(first) + "\nlast=" +
                                            std::to_string(last) +
                                            "\nstart=100\nend=101.5\n" + options + maps);
    }

  protected:
    CommandResult merge(const std::string& options = kAllTiled) {
        return run_shell("cd " + quoted(work_.path()) + " && " + quoted(kMerge) + " " + options +
                         " " + quoted(run_.path()) + " 1 4");
    }

    TemporaryFolder run_;
    TemporaryFolder work_;
};

TEST_F(TiledRun, JoinsTheTileTablesAndGathersTheMaps) {
    const CommandResult merged = merge();
    ASSERT_EQ(merged.exit_status, 0) << merged.output;
    EXPECT_EQ(read_file(work_.path() + "tile_scores.csv"),
              table(kTileScoresHeader, tile_scores_rows, 1, 4));
    EXPECT_EQ(read_file(work_.path() + "tile_summary.csv"),
              table(kTileSummaryHeader, tile_summary_rows, 1, 4));
    for (int folder = 1; folder <= 4; ++folder) {
        const std::string source = piece(folder <= 2 ? 1 : 3, folder <= 2 ? 2 : 4);
        for (const std::string kind : {"depth", "focused"}) {
            const std::string name = kind + "/" + folder_name(folder) + "_" + kind + ".tif";
            EXPECT_EQ(read_file(work_.path() + name), read_file(source + name)) << name;
        }
    }
}

struct TiledRefusal {
    const char* name;
    std::function<void(TiledRun&)> damage;
    std::string message;              // a part of the refusal
    std::string options = kAllTiled;  // the merge's
    // The damage is what the piece wrote, and recorded; otherwise done after the piece recorded.
    bool recorded = true;
};

void PrintTo(const TiledRefusal& refusal, std::ostream* out) { *out << refusal.name; }

class TiledMergeRefusal : public TiledRun, public ::testing::WithParamInterface<TiledRefusal> {};

// The file with its first `old_text` replaced.
void replace_text(const std::string& path, const std::string& old_text,
                  const std::string& new_text) {
    std::string text = read_file(path);
    ASSERT_NE(text.find(old_text), std::string::npos) << path;
    text.replace(text.find(old_text), old_text.size(), new_text);
    write_file(path, text);
}

// Folder 3, method 1, tile (0, 0) picks image 1 (an edge, as method 3 does): its row, and its
// scores' first row.
const char kTileRow[] = "3,1,0,0,2,1,4,2,1,1,edge\n";
const char kTileScoreRow[] = "3,1,1,0,0,13\n";

const TiledRefusal kTiledRefusals[] = {
    {"TileBestNotItsScoresMaximum",
     [](TiledRun& run) {
         replace_text(run.piece(3, 4) + "tile_summary.csv", kTileRow, "3,1,0,0,2,1,4,2,2,2,\n");
     },
     "folders_3_to_4/tile_summary.csv, folder 3: tile (0, 0) of method 1 is not what its scores"},
    {"TileFlagsNotItsScores",
     [](TiledRun& run) {
         replace_text(run.piece(3, 4) + "tile_summary.csv", kTileRow,
                      "3,1,0,0,2,1,4,2,1,1,edge;disagree\n");
     },
     "tile (0, 0) of method 1 is not what its scores"},
    {"TileFractionalBestBeyondItsImages",
     [](TiledRun& run) {
         replace_text(run.piece(3, 4) + "tile_summary.csv", kTileRow,
                      "3,1,0,0,2,1,4,2,1,0.5,edge\n");
     },
     "tile (0, 0) of method 1 says best 1, focus 0.500000, outside the stack's images",
     kSummaryAndMaps},
    {"TileNotWhereTheGridPutsIt",
     [](TiledRun& run) {
         replace_text(run.piece(3, 4) + "tile_summary.csv", kTileRow, "3,1,0,0,2,1,5,2,1,1,edge\n");
     },
     "tile (0, 0) of method 1 is not where bestfocus puts it"},
    {"TileScoreRowMissing",
     [](TiledRun& run) { replace_text(run.piece(3, 4) + "tile_scores.csv", kTileScoreRow, ""); },
     "folders_3_to_4/tile_scores.csv, folder 3: its rows are not"},
    {"TileScoreNotANumber",
     [](TiledRun& run) {
         replace_text(run.piece(3, 4) + "tile_scores.csv", kTileScoreRow, "3,1,1,0,0,nan\n");
     },
     "tile_scores.csv has a row that bestfocus does not write: 3,1,1,0,0,nan"},
    {"OtherGridInAnotherPiece",
     [](TiledRun& run) {
         std::string rows;  // folders 3 and 4 split 1 x 1 instead
         for (const int folder : {3, 4}) {
             for (const int method : kMethods) {
                 rows += std::to_string(folder) + "," + std::to_string(method) +
                         ",0,0,2,1,9,5,1,1,edge\n";
             }
         }
         write_file(run.piece(3, 4) + "tile_summary.csv", kTileSummaryHeader + rows);
     },
     "folders_3_to_4/tile_summary.csv, folder 3: its 1 x 1 tiles are not the run's 2 x 2",
     kSummaryAndMaps},
    {"OtherColumns",
     [](TiledRun& run) {
         for (const std::string& piece : {run.piece(1, 2), run.piece(3, 4)}) {
             replace_text(piece + "tile_summary.csv", "fractional_best", "focus");
         }
     },
     "folders_1_to_2/tile tables have columns bestfocus does not write"},
    {"FolderInTwoPiecesWithOtherTileScores",
     [](TiledRun& run) {
         run.write_piece(2, 3);
         replace_text(run.piece(2, 3) + "tile_scores.csv", kTileScoreRow, "3,1,1,0,0,13.5\n");
     },
     "folder 3 is in folders_2_to_3 and folders_3_to_4 with different results"},
    {"DepthBeforeTheFirstImage",
     [](TiledRun& run) {
         cv::Mat depth(5, 9, CV_32F, cv::Scalar(2));
         depth.at<float>(4, 8) = 0.5F;
         write_image(run.depth_map(1, 2, 2), depth);
     },
     "002_depth.tif says 0.500000 at (8, 4), below 1.000000"},
    {"DepthNotANumber",
     [](TiledRun& run) {
         write_image(run.depth_map(1, 2, 2), cv::Mat(5, 9, CV_32F, std::nan("")));
     },
     "002_depth.tif says nan at (0, 0), below 1.000000"},
    {"DepthOfAnotherSize",
     [](TiledRun& run) { write_image(run.depth_map(1, 2, 2), cv::Mat(5, 8, CV_32F, 2.0)); },
     "002_depth.tif is 8 x 5 where the folder's tiles split 9 x 5"},
    {"DepthInIntegers",
     [](TiledRun& run) { write_image(run.depth_map(1, 2, 2), cv::Mat(5, 9, CV_16U, 2.0)); },
     "002_depth.tif is not a page of 32-bit floats"},
    {"DepthMapNotTheOneItsPieceWrote",
     [](TiledRun& run) { write_image(run.depth_map(1, 2, 2), cv::Mat(5, 9, CV_32F, 2.0)); },
     "002_depth.tif is not the map its piece wrote", kAllTiled, false},
    {"AllInFocusImageOfAnotherDepth",
     [](TiledRun& run) {
         write_image(run.piece(3, 4) + "focused/003_focused.tif", cv::Mat(5, 9, CV_16U, 3.0));
     },
     "003_focused.tif is not the map its piece wrote", kAllTiled, false},
    {"PieceRunWithAnotherRegion",
     [](TiledRun& run) { run.record(3, 4, "option=method=1,3\noption=--roi=1\\,1\\,9\\,5\n"); },
     "folders_3_to_4 was run with --roi=1\\,1\\,9\\,5, folders_1_to_2 without --roi", kAllTiled,
     false},
    {"PieceRunWithAnotherMethodOrder",
     [](TiledRun& run) { run.record(1, 2, "option=method=3,1\n"); },
     "folders_3_to_4 was run with method=1,3, folders_1_to_2 with method=3,1", kAllTiled, false},
    {"AllInFocusImageMissing",
     [](TiledRun& run) { std::filesystem::remove(run.piece(3, 4) + "focused/004_focused.tif"); },
     "folders_3_to_4/focused/004_focused.tif"},
};

TEST_P(TiledMergeRefusal, NamesTheProblemAndWritesNothing) {
    GetParam().damage(*this);
    if (GetParam().recorded) {
        record(1, 2);
        record(3, 4);
    }
    const CommandResult merged = merge(GetParam().options);
    EXPECT_EQ(merged.exit_status, 1) << merged.output;
    EXPECT_NE(merged.output.find(GetParam().message), std::string::npos) << merged.output;
    EXPECT_EQ(folder_entries(work_.path()), std::vector<std::string>{}) << merged.output;
}

INSTANTIATE_TEST_SUITE_P(Damages, TiledMergeRefusal, ::testing::ValuesIn(kTiledRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

// A symbolic link or a FIFO planted at a map's name in the folder gathered into is replaced by the
// map, nothing behind it opened; every other map is still written.
struct PlantedMap {
    const char* name;
    const char* map;  // in the merge's working folder
    bool fifo;
};

class MapOverPlantedEntry : public TiledRun, public ::testing::WithParamInterface<PlantedMap> {};

TEST_P(MapOverPlantedEntry, IsReplacedNeverFollowed) {
    const std::string planted = work_.path() + GetParam().map;
    std::filesystem::create_directories(std::filesystem::path(planted).parent_path());
    write_file(work_.path() + "victim", "precious");
    if (GetParam().fifo) {
        ASSERT_EQ(mkfifo(planted.c_str(), 0600), 0);
    } else {
        std::filesystem::create_symlink("../victim", planted);
    }
    const CommandResult merged = merge();
    ASSERT_EQ(merged.exit_status, 0) << merged.output;
    EXPECT_EQ(read_file(work_.path() + "victim"), "precious");
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(planted)));
    for (int folder = 1; folder <= 4; ++folder) {
        EXPECT_EQ(read_file(work_.path() + "depth/" + folder_name(folder) + "_depth.tif"),
                  read_file(depth_map(folder <= 2 ? 1 : 3, folder <= 2 ? 2 : 4, folder)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Planted, MapOverPlantedEntry,
    ::testing::Values(PlantedMap{"LinkAsDepthMap", "depth/002_depth.tif", false},
                      PlantedMap{"FifoAsDepthMap", "depth/001_depth.tif", true},
                      PlantedMap{"LinkAsAllInFocusImage", "focused/003_focused.tif", false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
