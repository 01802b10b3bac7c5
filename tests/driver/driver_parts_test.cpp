// The driver's parts in process: selection, paths, one image's measurement, the report file and
// the scan, with stand-in measures whose values are known.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <string>
#include <vector>

#include "focus_selection.h"
#include "image_measure.h"
#include "pixel_limit.h"
#include "present_stacks.h"
#include "report_file.h"
#include "stack_scan.h"
#include "stack_sources.h"
#include "team_sizes.h"
#include "test_support.h"

namespace {

using namespace bestfocus;

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

TEST(BestImageNumber, FirstGreatestValueWins) {
    EXPECT_EQ(best_image_number({0.5}), 1);
    EXPECT_EQ(best_image_number({1.0, 3.0, 2.0}), 2);
    EXPECT_EQ(best_image_number({-3.0, -1.0, -2.0}), 2);  // Vollath F4 can be negative
    EXPECT_EQ(best_image_number({1.0, 4.0, 2.0, 4.0}), 2);
    EXPECT_EQ(best_image_number({7.0, 7.0, 7.0}), 1);
    EXPECT_EQ(best_image_number({1.0, 2.0, kInf}), 3);
}

TEST(BestImageNumber, NaNNeverTakesOrLosesTheLead) {
    EXPECT_EQ(best_image_number({1.0, kNaN, 0.5}), 1);
    EXPECT_EQ(best_image_number({1.0, kNaN, 2.0}), 3);
    EXPECT_EQ(best_image_number({kNaN, 5.0, 9.0}), 1);
}

// The default layout's paths, as "%s%03d/" and "%s%02d.bmp" give them.
std::string default_folder(const std::string& base, int folder) {
    return probe_stack(StackLayout(), base, folder).path;
}

std::string default_image(const std::string& base, int folder, int image) {
    return image_location(probe_stack(StackLayout(), base, folder), StackLayout(), image).file;
}

TEST(StackPaths, NumbersAreZeroPaddedToAMinimumWidth) {
    EXPECT_EQ(default_folder("/data/stacks/", 11), "/data/stacks/011/");
    EXPECT_EQ(default_folder("/data/stacks/", 1234), "/data/stacks/1234/");
    EXPECT_EQ(default_folder("/data/stacks/", -5), "/data/stacks/-05/");
    EXPECT_EQ(default_folder("rel", 2), "rel002/");  // no separator is added
    EXPECT_EQ(default_image("/data/stacks/", 11, 3), "/data/stacks/011/03.bmp");
    EXPECT_EQ(default_image("/data/stacks/", 11, 100), "/data/stacks/011/100.bmp");
    EXPECT_EQ(default_folder("/", -2147483647 - 1), "/-2147483648/");
}

TEST(StackPaths, LongBaseFolderIsKeptWhole) {
    const std::string base = "/" + std::string(3000, 'x') + "/";
    EXPECT_EQ(default_image(base, 7, 9), base + "007/09.bmp");
}

TEST(ReportFileName, HoldsTheRangeAndMethodAsGiven) {
    EXPECT_EQ(report_file_name(11, 11, 1),
              "BestFocus_AutofocusStacks_Folder_11_to_11_method_1.txt");
    EXPECT_EQ(report_file_name(-3, 1200, 4),
              "BestFocus_AutofocusStacks_Folder_-3_to_1200_method_4.txt");
}

TEST(PixelCountFitsInt, LimitIsIntMax) {
    EXPECT_TRUE(bestfocus::pixel_count_fits(2147483647, 1));
    EXPECT_TRUE(bestfocus::pixel_count_fits(65535, 32768));   // 2147450880
    EXPECT_FALSE(bestfocus::pixel_count_fits(65536, 32768));  // 2^31
}

// Stand-in measures. The sum of the pixels grows with the amplitude of the test stacks' pattern.
std::atomic<int> g_seen_host_threads{0};
double sum_of_pixels(const unsigned char* pixels, int width, int height, int host_threads) {
    g_seen_host_threads = host_threads;
    double sum = 0.0;
    for (long long i = 0; i < static_cast<long long>(width) * height; ++i) {
        sum += pixels[i];
    }
    return sum;
}
double pixel_at_row1_column2(const unsigned char* pixels, int width, int, int) {
    return pixels[width + 2];
}
double width_times_1000_plus_height(const unsigned char*, int width, int height, int) {
    return width * 1000.0 + height;
}
double failing_measure(const unsigned char*, int, int, int) { return kNaN; }

using StandInMeasure = double (*)(const unsigned char* pixels, int width, int height,
                                  int host_threads);

// An engine of stand-in measures, one per method code, on the view's pixels (whole 8-bit images
// here) put rows back to back, top row first; each gets `threads` as its host threads.
class StandInEngine : public bestfocus::Engine {
  public:
    explicit StandInEngine(std::vector<std::pair<int, StandInMeasure>> measures, int threads = 1)
        : measures_(std::move(measures)), threads_(threads) {}

    bestfocus::Measurement measure(const bestfocus::ImageView& image,
                                   const std::vector<int>& methods) const override {
        std::vector<unsigned char> rows;
        for (int y = 0; y < image.height; ++y) {
            const auto* row =
                static_cast<const unsigned char*>(image.pixels) + y * image.row_stride;
            rows.insert(rows.end(), row, row + image.width);
        }
        bestfocus::Measurement measurement;
        for (const int method : methods) {
            const double value =
                measure_of(method)(rows.data(), image.width, image.height, threads_);
            if (std::isnan(value)) return bestfocus::failed_measurement("");
            measurement.values.push_back(value);
        }
        return measurement;
    }

  private:
    StandInMeasure measure_of(int method) const {
        for (const auto& [code, measure] : measures_) {
            if (code == method) return measure;
        }
        ADD_FAILURE() << "no stand-in for method " << method;
        return failing_measure;
    }

    std::vector<std::pair<int, StandInMeasure>> measures_;
    int threads_;
};

double focus_of(const std::string& path, StandInMeasure measure, int threads = 1) {
    return measure_image(path, StandInEngine({{1, measure}}, threads), {1}).focus.at(0);
}

TEST(MeasureImage, PassesPixelsWidthHeightAndHostThreads) {
    TemporaryFolder folder;
    cv::Mat image(3, 5, CV_8U, cv::Scalar(0));
    image.at<unsigned char>(1, 2) = 201;
    const std::string path = folder.path() + "image.bmp";
    ASSERT_TRUE(cv::imwrite(path, image));

    ImageMeasurement measurement = measure_image(
        path, StandInEngine({{1, width_times_1000_plus_height}, {3, pixel_at_row1_column2}}),
        {1, 3});
    EXPECT_TRUE(measurement.measured);
    EXPECT_EQ(measurement.focus, (std::vector<double>{5003.0, 201.0}));
    EXPECT_EQ(focus_of(path, sum_of_pixels, 13), 201.0);
    EXPECT_EQ(g_seen_host_threads, 13);
}

TEST(MeasureImage, FailuresNameTheImage) {
    TemporaryFolder folder;
    const std::string missing = folder.path() + "missing.bmp";
    ImageMeasurement measurement = measure_image(missing, StandInEngine({{1, sum_of_pixels}}), {1});
    EXPECT_FALSE(measurement.measured);
    EXPECT_EQ(tool_message(measurement.failure), "\nNo se puede abrir el archivo: " + missing);

    const std::string garbage = folder.path() + "garbage.bmp";
    write_file(garbage, "BM this is not an image");
    EXPECT_EQ(
        tool_message(measure_image(garbage, StandInEngine({{1, sum_of_pixels}}), {1}).failure),
        "\nNo se puede abrir el archivo: " + garbage);

    const std::string good = folder.path() + "good.bmp";
    ASSERT_TRUE(cv::imwrite(good, cv::Mat(2, 2, CV_8U, cv::Scalar(9))));
    // Any method failing fails the image.
    measurement =
        measure_image(good, StandInEngine({{1, sum_of_pixels}, {2, failing_measure}}), {1, 2});
    EXPECT_FALSE(measurement.measured);
    EXPECT_EQ(tool_message(measurement.failure),
              "\nNo se puede calcular la medida de enfoque del archivo: " + good);
}

class ScanStacks : public ::testing::Test {
  protected:
    void SetUp() override {
        N_threads_ext2 = 3;
        N_threads_ext1 = 2;
        N_threads = 6;
    }
    FolderSharedWithDeathTests base_{"scan_stacks"};
};

TEST_F(ScanStacks, PicksTheSharpestImageOfEveryFolderInFolderOrder) {
    write_test_stack(base_.path(), "008", {10, 90, 30, 20, 50});
    write_test_stack(base_.path(), "009", {10, 20, 30, 40, 50});
    write_test_stack(base_.path(), "010", {70, 20, 30, 70, 60});
    write_test_stack(base_.path(), "011", {5, 5, 5, 5, 5});
    RunConfig config;
    config.base_folder = base_.path();
    config.first_folder = 8;
    config.last_folder = 11;
    config.images_per_stack = 5;
    // Two methods: the plain sum, and the sum's negative, whose sharpest image is the faintest.
    const auto negative_sum = [](const unsigned char* pixels, int width, int height, int threads) {
        return -sum_of_pixels(pixels, width, height, threads);
    };
    config.methods = {3, 4};
    const ScanResults scan = scan_stacks(config, present_stacks(config),
                                         StandInEngine({{3, sum_of_pixels}, {4, negative_sum}}, 6));
    ASSERT_FALSE(scan.failure);
    std::vector<FolderScores> folders = scan.folders;
    ASSERT_EQ(folders.size(), 4u);
    EXPECT_EQ(folders[2].folder, 10);
    EXPECT_EQ(folders[2].methods[1].method, 4);
    EXPECT_EQ(best_images(folders, 0), (std::vector<int>{2, 5, 1, 1}));
    EXPECT_EQ(best_images(folders, 1), (std::vector<int>{1, 1, 2, 1}));
    EXPECT_EQ(folders[1].methods[0].scores.size(), 5u);
    EXPECT_LT(folders[1].methods[0].scores[0], folders[1].methods[0].scores[1]);
    EXPECT_EQ(folders[1].methods[0].scores[0], -folders[1].methods[1].scores[0]);
    EXPECT_EQ(g_seen_host_threads, 6);

    config.images_per_stack = 3;  // only the first three images count
    config.methods = {1};
    folders =
        scan_stacks(config, present_stacks(config), StandInEngine({{1, sum_of_pixels}})).folders;
    EXPECT_EQ(best_images(folders, 0), (std::vector<int>{2, 3, 1, 1}));
}

// Fails on images whose checkerboard is lit at 90 or more: the image itself says whether it fails.
double fails_when_bright(const unsigned char* pixels, int width, int height, int threads) {
    for (long long i = 0; i < static_cast<long long>(width) * height; ++i) {
        if (pixels[i] >= 90) return kNaN;
    }
    return sum_of_pixels(pixels, width, height, threads);
}

// Whatever the teams and however the threads are scheduled, the failure returned is the first in
// folder, then image order: images of folder 2 before folder 3, image 2 before image 4, an
// unreadable image before its folder's mixed sizes.
TEST_F(ScanStacks, ReturnsTheFirstFailureInFolderThenImageOrder) {
    write_test_stack(base_.path(), "001", {10, 20, 30, 40});
    write_test_stack(base_.path(), "002", {10, 95, 30, 90});
    write_test_stack(base_.path(), "003", {90, 20, 30, 40});
    write_test_stack(base_.path(), "004", {10, 20, 30, 40}, 30, 16);
    // Folder 4's image 3 has another size: failing only once every image of folder 4 is measured.
    write_test_stack(base_.path() + "size_", "004", {30}, 24, 16);
    std::rename((base_.path() + "size_004/01.bmp").c_str(), (base_.path() + "004/03.bmp").c_str());
    RunConfig config;
    config.base_folder = base_.path();
    config.first_folder = 1;
    config.last_folder = 4;
    config.images_per_stack = 4;
    const struct {
        int first_folder;
        const char* named;
    } cases[] = {{1, "002/02.bmp"}, {3, "003/01.bmp"}, {4, ""}};
    for (const auto& c : cases) {
        config.first_folder = c.first_folder;
        for (const int teams : {1, 2, 4}) {
            SCOPED_TRACE(std::to_string(c.first_folder) + " with teams of " +
                         std::to_string(teams));
            N_threads_ext2 = teams;
            N_threads_ext1 = teams;
            const ScanResults scan = scan_stacks(config, present_stacks(config),
                                                 StandInEngine({{1, fails_when_bright}}));
            ASSERT_TRUE(scan.failure);
            EXPECT_EQ(exit_status(scan.failure->kind), 1);
            if (*c.named != '\0') {
                EXPECT_EQ(tool_message(*scan.failure),
                          "\nNo se puede calcular la medida de enfoque del archivo: " +
                              base_.path() + c.named);
            } else {
                EXPECT_EQ(tool_message(*scan.failure),
                          "\nLas imagenes de la carpeta " + base_.path() +
                              "004/ no tienen el mismo tamano: 01.bmp mide "
                              "30 x 16 y 03.bmp mide 24 x 16");
            }
        }
    }
}

}  // namespace
