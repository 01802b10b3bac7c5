// Tiled runs of the executable and its maps: bad tile and map options are a bad command line, a
// tile's row in the tables is what a --roi run on its rectangle gives, and the all-in-focus image
// takes every pixel from the image sharpest there.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <opencv2/imgcodecs.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"
#include "tiff_files.h"

namespace {

const std::string kExecutable = BESTFOCUS_EXECUTABLE;

struct BadTiles {
    const char* name;
    std::vector<std::string> options;
    std::string message;  // the start of standard output; "<stack>" stands for the stack folder
};

class BadTileOptions : public testing::TestWithParam<BadTiles> {};

const char kBadWindow[] = ": it takes the window's side in pixels, an odd integer from 1 to 255\n";
const char kBadGrid[] = ": it takes RxC, rows by columns of tiles, two integers from 1 to 1048576";

TEST_P(BadTileOptions, AreABadCommandLineAndWriteNothing) {
    TemporaryFolder stacks;
    TemporaryFolder work;
    write_test_stack(stacks.path(), "001", {10, 30, 20}, 24, 16);
    std::vector<std::string> arguments = GetParam().options;
    for (const char* positional : {"all", "", "1", "1", "3"}) {
        arguments.push_back(*positional ? positional : stacks.path());
    }
    const ProgramRun run = run_program(kExecutable, arguments, work.path());
    std::string message = GetParam().message;
    if (const std::size_t at = message.find("<stack>"); at != std::string::npos) {
        message.replace(at, 7, stacks.path() + "001/");
    }
    EXPECT_EQ(run.exit_status, 2);
    EXPECT_EQ(run.standard_output.substr(0, message.size()), message);
    EXPECT_NE(run.standard_output.find("\nUsage: bestfocus"), std::string::npos);
    EXPECT_TRUE(folder_entries(work.path()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, BadTileOptions,
    testing::Values(
        BadTiles{"zero_rows",
                 {"--tiles=0x8"},
                 std::string("\nbestfocus: bad --tiles \"0x8\"") + kBadGrid},
        BadTiles{"zero_columns",
                 {"--tiles=8x0"},
                 std::string("\nbestfocus: bad --tiles \"8x0\"") + kBadGrid},
        BadTiles{
            "one_count", {"--tiles=8"}, std::string("\nbestfocus: bad --tiles \"8\"") + kBadGrid},
        BadTiles{"three_counts",
                 {"--tiles=8x8x8"},
                 std::string("\nbestfocus: bad --tiles \"8x8x8\"") + kBadGrid},
        BadTiles{"negative",
                 {"--tiles=-1x2"},
                 std::string("\nbestfocus: bad --tiles \"-1x2\"") + kBadGrid},
        BadTiles{"trailing_junk",
                 {"--tiles=8x8junk"},
                 std::string("\nbestfocus: bad --tiles \"8x8junk\"") + kBadGrid},
        BadTiles{"more_columns_than_pixels",
                 {"--tiles=1x25"},
                 "\nbestfocus: --tiles=1x25 asks for more tiles on a side than the image "
                 "<stack>01.bmp has pixels (24 x 16)\n"},
        BadTiles{"smaller_than_a_window",
                 {"--tiles=4x6"},
                 "\nbestfocus: --tiles=4x6 cuts the image <stack>01.bmp (24 x 16) into tiles as "
                 "small as 4 x 4, smaller than the window of MDCT, which needs at least 5 x 5 "
                 "pixels\n"},
        BadTiles{"region_smaller_than_a_window",
                 {"--roi=1,1,20,12", "--tiles=3x2"},
                 "\nbestfocus: --tiles=3x2 cuts the region (20 x 12) into tiles as small as 10 x "
                 "4, smaller than the window of MDCT, which needs at least 5 x 5 pixels\n"},
        BadTiles{"even_focus_window",
                 {"--depth-map=d", "--focus-window=8"},
                 "\nbestfocus: bad --focus-window \"8\"" + std::string(kBadWindow)},
        BadTiles{"zero_focus_window",
                 {"--depth-map=d", "--focus-window=0"},
                 "\nbestfocus: bad --focus-window \"0\"" + std::string(kBadWindow)},
        BadTiles{"too_large_focus_window",
                 {"--depth-map=d", "--focus-window=257"},
                 "\nbestfocus: bad --focus-window \"257\"" + std::string(kBadWindow)},
        BadTiles{"signed_focus_window",
                 {"--depth-map=d", "--focus-window=+9"},
                 "\nbestfocus: bad --focus-window \"+9\"" + std::string(kBadWindow)},
        BadTiles{"empty_confidence_map",
                 {"--confidence-map="},
                 "\nbestfocus: option --confidence-map needs a file name, not an empty value\n"},
        BadTiles{"tile_scores_without_tiles",
                 {"--tile-scores=t.csv"},
                 "\nbestfocus: option --tile-scores needs --tiles=RxC\n"},
        BadTiles{"tile_summary_without_tiles",
                 {"--tile-summary=t.csv"},
                 "\nbestfocus: option --tile-summary needs --tiles=RxC\n"},
        BadTiles{"tile_table_over_another_output",
                 {"--tiles=2x2", "--summary=t.csv", "--tile-summary=t.csv"},
                 "\nbestfocus: --summary=t.csv and --tile-summary=t.csv are the same file\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// The rows of a CSV table, without its header.
std::vector<std::vector<std::string>> csv_rows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ',');) fields.push_back(cell);
        rows.push_back(fields);
    }
    return rows;
}

// Tile edges between pixels (30 / 4 columns, 21 / 2 rows inside the region), an uneven texture.
TEST(TiledRun, EachTileRowIsWhatARegionRunOnItsRectangleGives) {
    TemporaryFolder stacks;
    TemporaryFolder work;
    const std::string folder = stacks.path() + "001/";
    std::filesystem::create_directories(folder);
    for (int image = 1; image <= 3; ++image) {
        cv::Mat pixels(26, 33, CV_8U);
        cv::theRNG().state = 40u + image;
        cv::randu(pixels, 0, 256);
        ASSERT_TRUE(cv::imwrite(folder + "0" + std::to_string(image) + ".bmp", pixels));
    }
    const std::vector<std::string> positional = {"4", stacks.path(), "1", "1", "3"};
    std::vector<std::string> tiled = {"--roi=2,3,30,21",     "--tiles=2x4",
                                      "--tile-scores=t.csv", "--tile-summary=s.csv",
                                      "--depth-map=d",       "--all-in-focus=f"};
    tiled.insert(tiled.end(), positional.begin(), positional.end());
    ASSERT_EQ(run_program(kExecutable, tiled, work.path()).exit_status, 0);
    const auto scores = csv_rows(read_file(work.path() + "t.csv"));
    const auto summary = csv_rows(read_file(work.path() + "s.csv"));
    ASSERT_EQ(scores.size(), 3u * 8u);
    ASSERT_EQ(summary.size(), 8u);
    for (const auto& tile : summary) {
        const std::string roi = "--roi=" + tile[4] + "," + tile[5] + "," + tile[6] + "," + tile[7];
        std::vector<std::string> alone = {roi, "--scores=r.csv"};
        alone.insert(alone.end(), positional.begin(), positional.end());
        ASSERT_EQ(run_program(kExecutable, alone, work.path()).exit_status, 0);
        const auto region = csv_rows(read_file(work.path() + "r.csv"));
        for (const auto& row : scores) {
            if (row[3] == tile[2] && row[4] == tile[3]) {
                const std::size_t image = std::stoul(row[1]) - 1;
                EXPECT_EQ(row[5], region[image][3]) << roi << ", image " << row[1];
            }
        }
    }
    const cv::Mat depth = cv::imread(work.path() + "d/001_depth.tif", cv::IMREAD_UNCHANGED);
    EXPECT_EQ(depth.type(), CV_32FC1);
    EXPECT_EQ(depth.size(), cv::Size(30, 21));
    const cv::Mat focused = cv::imread(work.path() + "f/001_focused.tif", cv::IMREAD_UNCHANGED);
    EXPECT_EQ(focused.type(), CV_8UC1);
    EXPECT_EQ(focused.size(), cv::Size(30, 21));
}

// A multi-page stack's files take the file's name without its extension, as its exported picks
// do, and its pages are read again at their depth.
TEST(TiledRun, MultiPageStackFilesAreNamedAfterTheFile) {
    TemporaryFolder stacks;
    TemporaryFolder work;
    std::vector<cv::Mat> pages;
    for (int page = 0; page < 3; ++page) {
        pages.push_back(checkerboard(40, 30, CV_16U, cv::Scalar(1000 * (page == 1 ? 9 : 2))));
    }
    ASSERT_TRUE(cv::imwritemulti(stacks.path() + "stack7.tif", pages));
    const ProgramRun run =
        run_program(kExecutable,
                    {"--folder-names=stack%d.tif", "--tiles=2x2", "--depth-map=maps",
                     "--all-in-focus=maps", "1", stacks.path(), "7", "7", "3"},
                    work.path());
    ASSERT_EQ(run.exit_status, 0) << run.standard_error;
    EXPECT_EQ(folder_entries(work.path() + "maps"),
              (std::vector<std::string>{"stack7_depth.tif", "stack7_focused.tif"}));
    const cv::Mat focused =
        cv::imread(work.path() + "maps/stack7_focused.tif", cv::IMREAD_UNCHANGED);
    // Every tile picks the sharpest page, so every pixel is that page's.
    EXPECT_EQ(cv::norm(focused, pages[1], cv::NORM_INF), 0.0);
}

struct StoredStack {
    const char* name;
    int type;    // CV_8U: bottom-up BMP files; CV_16U: uncompressed TIFF strips, top down
    int height;  // of images 40 wide
    int x, y;    // the region's corner, given as
    const char* roi;
};

class AllInFocusReadAgain : public testing::TestWithParam<StoredStack> {};

// The Laplacian's square at every window centre (x, y) of the image's region, 0 on its border.
cv::Mat_<double> squared_laplacians(const cv::Mat_<double>& region) {
    cv::Mat_<double> terms(region.size(), 0.0);
    for (int y = 1; y + 1 < region.rows; ++y) {
        for (int x = 1; x + 1 < region.cols; ++x) {
            const double l = region(y - 1, x) + region(y + 1, x) + region(y, x - 1) +
                             region(y, x + 1) - 4 * region(y, x);
            terms(y, x) = l * l;
        }
    }
    return terms;
}

// The maps read each image of the region once, whole, from where its rows lie: every pixel of the
// all-in-focus image must be that of an image whose Laplacian energy over the 3 x 3 window of
// centres around the pixel (--focus-window=3; those of the region's border excluded) is the
// largest, computed here in doubles from the images (every such sum is an exact integer), or
// where its confidence is at most 0.1 that of the stack's pick. Each band of rows is sharp in one
// image (1, 3, 5 from the top), flat elsewhere.
TEST_P(AllInFocusReadAgain, TakesEveryPixelFromTheImageSharpestThere) {
    TemporaryFolder stacks, work;
    const std::string folder = stacks.path() + "001/";
    std::filesystem::create_directory(folder);
    const int maximum = GetParam().type == CV_8U ? 255 : 65535;
    std::vector<cv::Mat_<double>> images;
    for (int image = 1; image <= 5; ++image) {
        const int rows = GetParam().height / 3;
        cv::Mat pixels(GetParam().height, 40, GetParam().type, cv::Scalar(maximum / 2));
        if (image % 2 == 1) {  // band image / 2
            cv::randu(pixels.rowRange(image / 2 * rows, image / 2 * rows + rows), 0, maximum);
        }
        images.push_back(cv::Mat_<double>(pixels));
        const std::string name = folder + "0" + std::to_string(image);
        if (GetParam().type == CV_8U) {
            ASSERT_TRUE(cv::imwrite(name + ".bmp", pixels));
        } else {
            write_tiff(name + ".tif", {pixels}, TiffLayout{"w", 7});
        }
    }
    const ProgramRun run =
        run_program(kExecutable,
                    {GetParam().roi,
                     GetParam().type == CV_8U ? "--image-names=%02d.bmp" : "--image-names=%02d.tif",
                     "--focus-window=3", "--depth-map=m", "--all-in-focus=m", "--confidence-map=m",
                     "4", stacks.path(), "1", "1", "5"},
                    work.path());
    ASSERT_EQ(run.exit_status, 0) << run.standard_error;
    const cv::Mat depth = cv::imread(work.path() + "m/001_depth.tif", cv::IMREAD_UNCHANGED);
    cv::Mat focused = cv::imread(work.path() + "m/001_focused.tif", cv::IMREAD_UNCHANGED);
    ASSERT_EQ(focused.type(), GetParam().type);
    ASSERT_EQ(focused.size(), depth.size());
    focused.convertTo(focused, CV_64F);
    const cv::Rect area(GetParam().x, GetParam().y, depth.cols, depth.rows);
    const cv::Mat confidence =
        cv::imread(work.path() + "m/001_confidence.tif", cv::IMREAD_UNCHANGED);
    std::vector<cv::Mat_<double>> energies;
    std::size_t pick = 0;  // the image of the largest whole energy (the first of equals)
    double pick_energy = -1;
    for (const cv::Mat_<double>& image : images) {
        const cv::Mat_<double> terms = squared_laplacians(image(area));
        if (cv::sum(terms)[0] > pick_energy) {
            pick_energy = cv::sum(terms)[0];
            pick = energies.size();
        }
        cv::Mat_<double> energy(terms.size(), 0.0);
        for (int y = 0; y < terms.rows; ++y) {
            for (int x = 0; x < terms.cols; ++x) {
                for (int v = std::max(1, y - 1); v <= std::min(terms.rows - 2, y + 1); ++v) {
                    for (int u = std::max(1, x - 1); u <= std::min(terms.cols - 2, x + 1); ++u) {
                        energy(y, x) += terms(v, u);
                    }
                }
            }
        }
        energies.push_back(energy);
    }
    for (int y = 0; y < depth.rows; ++y) {
        for (int x = 0; x < depth.cols; ++x) {
            double best = -1;
            for (const cv::Mat_<double>& energy : energies) best = std::max(best, energy(y, x));
            bool taken = false;
            for (std::size_t i = 0; i < images.size(); ++i) {
                // Responses are kept as floats: sums that near one another are equals.
                taken = taken || (energies[i](y, x) >= best * (1 - 1e-6) &&
                                  focused.at<double>(y, x) == images[i](area)(y, x));
            }
            // Where the sharpest window is not clear, the pick's pixel.
            taken = taken || (confidence.at<float>(y, x) <= 0.1f &&
                              focused.at<double>(y, x) == images[pick](area)(y, x));
            ASSERT_TRUE(taken) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AllInFocusReadAgain,
    testing::Values(StoredStack{"bmp_region", CV_8U, 150, 3, 2, "--roi=3,2,31,141"},
                    StoredStack{"tiff_region", CV_16U, 150, 5, 4, "--roi=5,4,30,139"},
                    StoredStack{"tiff_two_groups", CV_16U, 9000, 5, 4, "--roi=5,4,30,8990"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

// Threads a run starts, counted by a preloaded pthread_create: the run's teams size every stage,
// the maps and the page included. Two folders, so a team of 2 would take both.
struct TeamsAndThreads {
    const char* name;
    std::vector<std::string> teams;  // N_threads_ext2, N_threads_ext1, N_threads
    bool maps;
    bool starts_threads;
};

class ThreadsOfARun : public testing::TestWithParam<TeamsAndThreads> {};

TEST_P(ThreadsOfARun, FollowTheRunsTeams) {
    TemporaryFolder stacks;
    TemporaryFolder work;
    write_test_stack(stacks.path(), "001", {10, 30, 20}, 24, 16);
    write_test_stack(stacks.path(), "002", {30, 10, 20}, 24, 16);
    std::vector<std::string> arguments = {"--quiet", "--tiles=2x2"};
    if (GetParam().maps) {
        arguments.insert(arguments.end(), {"--depth-map=d", "--all-in-focus=f", "--html=p.html"});
    }
    arguments.insert(arguments.end(), {"4", stacks.path(), "1", "2", "3"});
    arguments.insert(arguments.end(), GetParam().teams.begin(), GetParam().teams.end());
    const std::string count_file = work.path() + "threads.txt";
    setenv("LD_PRELOAD", THREAD_START_COUNTER, 1);
    setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
    setenv("THREAD_STARTS_FILE", count_file.c_str(), 1);
    const ProgramRun run = run_program(kExecutable, arguments, work.path());
    unsetenv("LD_PRELOAD");
    unsetenv("THREAD_STARTS_FILE");
    ASSERT_EQ(run.exit_status, 0) << run.standard_error;
    const int started = std::stoi(read_file(count_file));
    if (GetParam().starts_threads) {
        EXPECT_GT(started, 0);
    } else {
        EXPECT_EQ(started, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Teams, ThreadsOfARun,
    testing::Values(TeamsAndThreads{"OneByOneByOneWithMaps", {"1", "1", "1"}, true, false},
                    TeamsAndThreads{"TwoFoldersAtOnceWithMaps", {"2", "1", "1"}, true, true}),
    [](const testing::TestParamInfo<TeamsAndThreads>& info) { return info.param.name; });
