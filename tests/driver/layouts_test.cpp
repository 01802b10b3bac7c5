// Stacks as microscopes save them, through the executable: 16-bit TIFF files under names of their
// own, the same stacks as multi-page TIFF files, a region of interest, every image there is, and
// the name formats and counts it refuses.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <opencv2/imgcodecs.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "measure_registry.h"
#include "test_support.h"

using namespace bestfocus;

namespace {

const std::string kExecutable = BESTFOCUS_EXECUTABLE;
namespace fs = std::filesystem;

std::string numbered(const char* format, int number) {
    char text[64];
    std::snprintf(text, sizeof text, format, number);
    return text;
}

// Random texture whose contrast is the amplitude: the largest amplitude is the sharpest image.
cv::Mat textured(int amplitude, unsigned seed) {
    cv::Mat image(30, 44, CV_8U);
    cv::theRNG().state = seed;
    cv::randu(image, 0, amplitude + 1);
    return image;
}

cv::Mat times_257(const cv::Mat& bytes) {
    cv::Mat words;
    bytes.convertTo(words, CV_16U, 257.0);
    return words;
}

// The score column of a scores file, row by row.
std::vector<double> scores_of(const std::string& csv) {
    std::vector<double> scores;
    std::istringstream lines(csv);
    std::string line;
    std::getline(lines, line);  // the header
    while (std::getline(lines, line)) {
        std::size_t field = 0;
        for (int comma = 0; comma < 3; ++comma) field = line.find(',', field) + 1;
        scores.push_back(std::strtod(line.c_str() + field, nullptr));
    }
    return scores;
}

class Layouts : public ::testing::Test {
  protected:
    // Folders 1 and 2 of five images: numbered 8-bit BMP under bmp/, 16-bit TIFF times 257 as
    // planes/pos_NN/zNNN.tif and as multipage/pos_NN.tif.
    void SetUp() override {
        const std::vector<std::vector<int>> amplitudes = {{20, 90, 200, 60, 30},
                                                          {10, 20, 30, 40, 250}};
        for (int folder = 1; folder <= 2; ++folder) {
            const std::string bmp = stacks_.path() + "bmp/" + numbered("%03d", folder) + "/";
            const std::string planes =
                stacks_.path() + "planes/" + numbered("pos_%02d", folder) + "/";
            fs::create_directories(bmp);
            fs::create_directories(planes);
            fs::create_directories(stacks_.path() + "multipage");
            std::vector<cv::Mat> pages;
            for (int image = 1; image <= 5; ++image) {
                const cv::Mat bytes = textured(amplitudes[folder - 1][image - 1],
                                               static_cast<unsigned>(10 * folder + image));
                ASSERT_TRUE(cv::imwrite(bmp + numbered("%02d.bmp", image), bytes));
                ASSERT_TRUE(cv::imwrite(planes + numbered("z%03d.tif", image), times_257(bytes)));
                pages.push_back(times_257(bytes));
            }
            ASSERT_TRUE(cv::imwritemulti(
                stacks_.path() + "multipage/" + numbered("pos_%02d.tif", folder), pages));
        }
    }

    ProgramRun run(const std::vector<std::string>& arguments, const std::string& folder) {
        return run_program(kExecutable, arguments, folder);
    }

    // Runs every method on folders 1 and 2 with the layout options; returns the scores file.
    std::string scores_of_run(const std::vector<std::string>& layout, const std::string& base,
                              const std::string& images, const std::string& engine) {
        TemporaryFolder work;
        std::vector<std::string> arguments = {"--engine=" + engine, "--scores=scores.csv"};
        arguments.insert(arguments.end(), layout.begin(), layout.end());
        arguments.insert(arguments.end(), {"all", stacks_.path() + base, "1", "2", images});
        const ProgramRun result = run(arguments, work.path());
        EXPECT_EQ(result.exit_status, 0) << result.standard_output << result.standard_error;
        for (const MeasureEntry& measure : measure_registry()) {
            // Rows of noise are uncorrelated: Vollath F5 then scores minus the mean's square, and
            // the faintest image (the first of both folders) scores highest.
            const bool autocorrelation = std::string(measure.short_name) == "vollath-f5";
            EXPECT_EQ(report_lines(read_file(work.path() + report_name(1, 2, measure.code))),
                      autocorrelation ? "1\n1\n" : "3\n5\n")
                << measure.long_name << ", " << base;
        }
        return read_file(work.path() + "scores.csv");
    }

    TemporaryFolder stacks_;
};

TEST_F(Layouts, SixteenBitPlanesAndMultiPageFilesScoreAsTheirEightBitTwins) {
    for (const std::string engine : {"cpu", "cuda"}) {
        SCOPED_TRACE(engine);
        const std::string bmp = scores_of_run({}, "bmp/", "5", engine);
        const std::string planes = scores_of_run(
            {"--folder-names=pos_%02d", "--image-names=z%03d.tif"}, "planes/", "5", engine);
        // All the pages, as 0 images per stack asks.
        const std::string multipage =
            scores_of_run({"--folder-names=pos_%02d.tif"}, "multipage/", "0", engine);
        EXPECT_EQ(planes, multipage);
        const std::vector<double> eight_bit = scores_of(bmp);
        const std::vector<double> sixteen_bit = scores_of(planes);
        ASSERT_EQ(eight_bit.size(), 2 * 5 * measure_registry().size());
        ASSERT_EQ(sixteen_bit.size(), eight_bit.size());
        for (std::size_t i = 0; i < eight_bit.size(); ++i) {
            EXPECT_NEAR(sixteen_bit[i], eight_bit[i], 1e-12 * std::abs(eight_bit[i]))
                << "row " << i;
        }
    }
}

TEST_F(Layouts, ImagesPerStackZeroTakesEveryImageThereIs) {
    // Folder 1 loses image 4: images 1 to 3 count, image 5 after the gap does not.
    fs::remove(stacks_.path() + "bmp/001/04.bmp");
    TemporaryFolder work;
    ProgramRun result =
        run({"--scores=scores.csv", "1", stacks_.path() + "bmp/", "1", "2", "0"}, work.path());
    ASSERT_EQ(result.exit_status, 0) << result.standard_output << result.standard_error;
    EXPECT_EQ(scores_of(read_file(work.path() + "scores.csv")).size(), 3u + 5u);
    EXPECT_EQ(report_lines(read_file(work.path() + report_name(1, 2, 1))), "3\n5\n");

    // A folder without image 1 holds no stack.
    fs::remove(stacks_.path() + "bmp/002/01.bmp");
    result = run({"1", stacks_.path() + "bmp/", "1", "2", "0"}, work.path());
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(result.standard_output,
              "\nNo se puede abrir el archivo: " + stacks_.path() + "bmp/002/01.bmp");
}

TEST_F(Layouts, MissingImagesAndShortFilesAreNamedBeforeAnyWork) {
    fs::remove(stacks_.path() + "planes/pos_02/z004.tif");
    TemporaryFolder work;
    ProgramRun result = run({"--folder-names=pos_%02d", "--image-names=z%03d.tif", "1",
                             stacks_.path() + "planes/", "1", "2", "5"},
                            work.path());
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(result.standard_output,
              "\nNo se puede abrir el archivo: " + stacks_.path() + "planes/pos_02/z004.tif");

    const std::string file = stacks_.path() + "multipage/pos_01.tif";
    result = run({"--folder-names=pos_%02d.tif", "1", stacks_.path() + "multipage/", "1", "2", "7"},
                 work.path());
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(result.standard_output, "\nNo se puede abrir el archivo: " + file);
    EXPECT_EQ(result.standard_error, "bestfocus: cannot open the file " + file + "\nbestfocus: " +
                                         file + " holds 5 pages, fewer than the 7 asked for\n");
    EXPECT_TRUE(folder_entries(work.path()).empty());
}

TEST_F(Layouts, RegionPicksWithinItAndMustLieInsideEveryImage) {
    // Image 1 of folder 1 gets sharp stripes left of the region: the whole image then scores
    // highest, the region still picks image 3.
    cv::Mat image = cv::imread(stacks_.path() + "bmp/001/01.bmp", cv::IMREAD_GRAYSCALE);
    for (int y = 0; y < image.rows; ++y) {
        for (int x = 0; x < 12; ++x) image.at<unsigned char>(y, x) = (x / 2) % 2 == 0 ? 0 : 255;
    }
    ASSERT_TRUE(cv::imwrite(stacks_.path() + "bmp/001/01.bmp", image));
    TemporaryFolder work;
    for (const std::string engine : {"cpu", "cuda"}) {
        ProgramRun result =
            run({"--engine=" + engine, "3", stacks_.path() + "bmp/", "1", "1", "5"}, work.path());
        EXPECT_EQ(report_lines(read_file(work.path() + report_name(1, 1, 3))), "1\n");
        result = run(
            {"--engine=" + engine, "--roi=12,2,30,26", "3", stacks_.path() + "bmp/", "1", "1", "5"},
            work.path());
        EXPECT_EQ(result.exit_status, 0) << result.standard_error;
        EXPECT_EQ(report_lines(read_file(work.path() + report_name(1, 1, 3))), "3\n") << engine;
    }

    const ProgramRun outside =
        run({"--roi=12,2,33,26", "3", stacks_.path() + "bmp/", "1", "1", "5"}, work.path());
    EXPECT_EQ(outside.exit_status, 1);
    EXPECT_EQ(outside.standard_output,
              "\nLa region de interes no cabe en la imagen: " + stacks_.path() + "bmp/001/01.bmp");
    EXPECT_NE(outside.standard_error.find("the region 33 x 26 at (12, 2) does not lie inside " +
                                          stacks_.path() + "bmp/001/0"),
              std::string::npos)
        << outside.standard_error;
    EXPECT_NE(outside.standard_error.find(", 44 x 30\n"), std::string::npos);
}

TEST_F(Layouts, PagesAreShownAndNamedOnTheHtmlPage) {
    TemporaryFolder work;
    const ProgramRun result = run({"--html=page.html", "--folder-names=pos_%02d.tif", "1",
                                   stacks_.path() + "multipage/", "1", "2", "0"},
                                  work.path());
    ASSERT_EQ(result.exit_status, 0) << result.standard_error;
    const std::string page = read_file(work.path() + "page.html");
    EXPECT_NE(page.find("<img src=\"data:image/"), std::string::npos);
    EXPECT_EQ(page.find("could not be read"), std::string::npos);
    // The pick of folder 1 is page 3, named as the run reads it.
    const std::string file = stacks_.path() + "multipage/pos_01.tif";
    EXPECT_NE(page.find("<p class=\"path\">" + file + "</p>"), std::string::npos);
    EXPECT_NE(page.find("title=\"" + file + " (page 3)\""), std::string::npos);
}

TEST(LayoutOptions, BadNameFormatsAndRegionsAreABadCommandLine) {
    TemporaryFolder work;
    const std::vector<std::string> refused = {
        "--image-names=%s",    "--image-names=%n",    "--image-names=%x.tif", "--image-names=%d_%d",
        "--image-names=z.tif", "--folder-names=%s%d", "--folder-names=%ld",   "--folder-names=%*d",
        "--folder-names=pos",  "--roi=1,2,3",         "--roi=0,0,0,5",        "--roi=-1,0,5,5",
    };
    for (const std::string& option : refused) {
        SCOPED_TRACE(option);
        const ProgramRun result = run_program(kExecutable, {option, "1"}, work.path());
        EXPECT_EQ(result.exit_status, 2);
        const std::string name = option.substr(0, option.find('='));
        EXPECT_EQ(result.standard_output.rfind("\nbestfocus: bad " + name + " \"", 0), 0u)
            << result.standard_output;
        EXPECT_NE(result.standard_output.find("\nUsage: bestfocus"), std::string::npos);
        EXPECT_TRUE(folder_entries(work.path()).empty());
    }
}

// A region that holds no window of a method would give it 0 on every image.
TEST(LayoutOptions, RegionsSmallerThanAWindowAreABadCommandLine) {
    TemporaryFolder work;
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--roi=0,0,2,40", "3"}, "Tenengrad, which needs at least 3 x 3 pixels"},
        {{"--roi=0,0,4,4", "1,2"}, "MDCT, which needs at least 5 x 5 pixels"},
        {{"--roi=0,0,40,1", "1"}, "Vollath F4, which needs at least 1 x 2 pixels"},
    };
    for (const auto& [arguments, needs] : cases) {
        SCOPED_TRACE(needs);
        const ProgramRun result = run_program(kExecutable, arguments, work.path());
        EXPECT_EQ(result.exit_status, 2);
        EXPECT_EQ(result.standard_output.rfind("\nbestfocus: the region ", 0), 0u);
        EXPECT_NE(result.standard_output.find(needs), std::string::npos) << result.standard_output;
        EXPECT_TRUE(folder_entries(work.path()).empty());
    }
}

}  // namespace
