// Image files the tool cannot use, end to end: each ends the run with a message naming the file
// and status 1, writes no report and leaves an earlier report as it was; never a crash, a hang or
// status 0. And unusual files that are images all the same, since decoding follows the content.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bmp_bytes.h"
#include "measure_registry.h"
#include "test_support.h"
#include "tiff_files.h"

using namespace bestfocus;

namespace {

namespace fs = std::filesystem;

const std::string kExecutable = BESTFOCUS_EXECUTABLE;

// The bad file is image 2 of three in folder 001.
constexpr int kWidth = 24;
constexpr int kHeight = 16;
const std::string kEarlierReport = "3\n\nTotal time: 1.000000 seconds...";

std::vector<unsigned char> pixels_of(const cv::Mat& image) {
    return std::vector<unsigned char>(image.datastart, image.dataend);
}

std::string encoded(const std::string& extension, const cv::Mat& image) {
    std::vector<unsigned char> bytes;
    if (!cv::imencode(extension, image, bytes)) {
        throw std::runtime_error("cannot encode " + extension);
    }
    return std::string(bytes.begin(), bytes.end());
}

// The pixel rows of the checkerboard the bad files are cut from.
std::string checkerboard_rows() {
    return bmp_pixel_rows(kWidth, kHeight,
                          pixels_of(checkerboard(kWidth, kHeight, CV_8U, cv::Scalar(90))));
}

std::string random_bytes(std::size_t count) {
    std::mt19937 generator(7);
    std::string bytes(count, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(generator() & 0xFF);
    }
    return bytes;
}

struct BadFile {
    const char* what;
    std::function<void(const std::string& path)> make;
};

const BadFile kBadFiles[] = {
    {"zero bytes", [](const std::string& path) { write_file(path, ""); }},
    {"BMP headers without pixels",
     [](const std::string& path) {
         write_file(path, bmp_headers(kWidth, kHeight, gray_palette()));
     }},
    {"BMP with half its pixel rows",
     [](const std::string& path) {
         const std::string rows = checkerboard_rows();
         write_file(path,
                    bmp_headers(kWidth, kHeight, gray_palette()) + rows.substr(0, rows.size() / 2));
     }},
    {"BMP without its last pixel row",
     [](const std::string& path) {
         const std::string rows = checkerboard_rows();
         write_file(path, bmp_headers(kWidth, kHeight, gray_palette()) +
                              rows.substr(0, rows.size() - kWidth));
     }},
    {"random bytes", [](const std::string& path) { write_file(path, random_bytes(3000)); }},
    {"a folder", [](const std::string& path) { fs::create_directory(path); }},
    // Opening a FIFO for reading waits for a writer, which never comes.
    {"a FIFO", [](const std::string& path) { ASSERT_EQ(mkfifo(path.c_str(), 0644), 0); }},
    {"a symbolic link to itself",
     [](const std::string& path) { fs::create_symlink(fs::path(path).filename(), path); }},
    {"BMP header claiming 100000 x 100000 over 24 x 16 pixels",
     [](const std::string& path) {
         write_file(path, bmp_headers(100000, 100000, gray_palette()) + checkerboard_rows());
     }},
    // 4.9e9 pixels: more than an int counts.
    {"BMP header claiming 70000 x 70000 over 24 x 16 pixels",
     [](const std::string& path) {
         write_file(path, bmp_headers(70000, 70000, gray_palette()) + checkerboard_rows());
     }},
    // OpenCV cannot read 32-bit unsigned pixels and used to say so on standard error.
    {"32-bit unsigned TIFF",
     [](const std::string& path) { write_tiff(path, {cv::Mat(kHeight, kWidth, CV_32S, 7)}); }},
    {"TIFF with its strip cut short",
     [](const std::string& path) {
         write_tiff(path, {checkerboard(kWidth, kHeight, CV_16U, cv::Scalar(900))},
                    {"w", kHeight, 1});
         fs::resize_file(path, fs::file_size(path) - 200);
     }},
    {"half a PNG file",
     [](const std::string& path) {
         const std::string png =
             encoded(".png", checkerboard(kWidth, kHeight, CV_8U, cv::Scalar(90)));
         write_file(path, png.substr(0, png.size() / 2));
     }},
};

class BadImages : public ::testing::Test {
  protected:
    void SetUp() override {
        write_test_stack(stacks_.path(), "001", {30, 90, 60});
        write_file(work_.path() + report_name(1, 1, 1), kEarlierReport);
    }

    std::string bad_image() const { return stacks_.path() + "001/02.bmp"; }

    // Runs method 1 with the default teams over folder 001 and checks the refusal. Standard error
    // holds only our own lines: no decoder library speaks for itself.
    void expect_refused(RunOptions options = {}) {
        options.time_limit = std::chrono::seconds(60);
        const ProgramRun run =
            run_program(kExecutable, {"1", stacks_.path(), "1", "1", "3"}, work_.path(), options);
        EXPECT_FALSE(run.timed_out);
        EXPECT_EQ(run.signal, 0);
        EXPECT_EQ(run.exit_status, 1);
        EXPECT_EQ(run.standard_output, "\nNo se puede abrir el archivo: " + bad_image());
        // Our own lines only: the message's English, and for a file that is not a regular one,
        // the images the folder has.
        EXPECT_EQ(
            run.standard_error.rfind("bestfocus: cannot open the file " + bad_image() + "\n", 0),
            0u);
        std::istringstream lines(run.standard_error);
        for (std::string line; std::getline(lines, line);) {
            EXPECT_EQ(line.rfind("bestfocus: ", 0), 0u) << line;
        }

        EXPECT_EQ(folder_entries(work_.path()), std::vector<std::string>{report_name(1, 1, 1)});
        EXPECT_EQ(read_file(work_.path() + report_name(1, 1, 1)), kEarlierReport);
    }

    TemporaryFolder stacks_;
    TemporaryFolder work_;
};

TEST_F(BadImages, EndTheRunNamingTheFileWithoutReport) {
    for (const BadFile& bad : kBadFiles) {
        SCOPED_TRACE(bad.what);
        fs::remove_all(bad_image());
        bad.make(bad_image());
        expect_refused();
    }
    // Headers that contradict the file: decoded, they would give pixels that are not there (the
    // header bytes themselves, or none), and such an image may well come out the sharpest.
    for (const BmpVariant& corrupt : corrupt_bmp_variants()) {
        SCOPED_TRACE(corrupt.what);
        fs::remove_all(bad_image());
        write_file(bad_image(), corrupt.bytes);
        expect_refused();
    }
}

// Root reads any file whatever its permissions, so the tool then runs without that power.
TEST_F(BadImages, FileWithoutReadPermissionEndsTheRun) {
    ASSERT_EQ(chmod(bad_image().c_str(), 0), 0);
    if (!unreadable_under_file_permissions(bad_image())) {
        GTEST_SKIP() << "this user cannot be kept from reading a file without read permission";
    }
    RunOptions bound;
    bound.bound_by_file_permissions = true;
    expect_refused(bound);
}

// Lit squares of (red 200, green 230, blue 40): grey level about 199 in any of the usual
// conversions, above every grey image of the stacks below.
const cv::Scalar kLitColourBgr(40, 230, 200);

// An 8-bit BMP whose palette holds colours in no order of brightness: black at index 3 and the
// lit colour at index 7. Read as palette indices instead of colours, it would be the flattest.
std::string colour_palette_bmp() {
    std::mt19937 generator(5);
    std::vector<Rgb> palette(256);
    for (Rgb& colour : palette) {
        colour = {static_cast<unsigned char>(generator()), static_cast<unsigned char>(generator()),
                  static_cast<unsigned char>(generator())};
    }
    palette[3] = {0, 0, 0};
    palette[7] = {200, 230, 40};
    cv::Mat indices = checkerboard(kWidth, kHeight, CV_8U, cv::Scalar(7));
    indices.setTo(cv::Scalar(3), indices == 0);
    return bmp_headers(kWidth, kHeight, palette) +
           bmp_pixel_rows(kWidth, kHeight, pixels_of(indices));
}

TEST(UnusualImages, DecodeAsTheirContent) {
    TemporaryFolder stacks;
    TemporaryFolder work;
    const cv::Mat colour = checkerboard(kWidth, kHeight, CV_8UC3, kLitColourBgr);
    const std::string sharpest_of_each_folder[] = {
        encoded(".bmp", colour),   // 24 bits per pixel
        encoded(".png", colour),   // named .bmp
        encoded(".tiff", colour),  // named .bmp
        colour_palette_bmp(),
    };
    int folder = 0;
    for (const std::string& bytes : sharpest_of_each_folder) {
        const std::string name = "00" + std::to_string(++folder);
        write_test_stack(stacks.path(), name, {100, 100, 150});
        write_file(stacks.path() + name + "/02.bmp", bytes);  // in place of the second
    }
    for (const MeasureEntry& measure : measure_registry()) {
        SCOPED_TRACE(measure.long_name);
        const ProgramRun run = run_program(
            kExecutable, {std::to_string(measure.code), stacks.path(), "1", "4", "3"}, work.path());
        EXPECT_EQ(run.exit_status, 0) << run.standard_output;
        EXPECT_EQ(report_lines(read_file(work.path() + report_name(1, 4, measure.code))),
                  "2\n2\n2\n2\n");
    }
}

// A single pixel has no neighbours: every measure gives it 0, so a stack of them ties at image 1.
TEST(UnusualImages, OnePixelImagesAreMeasured) {
    TemporaryFolder stacks;
    TemporaryFolder work;
    fs::create_directories(stacks.path() + "001");
    ASSERT_TRUE(cv::imwrite(stacks.path() + "001/01.bmp", cv::Mat(1, 1, CV_8U, cv::Scalar(0))));
    ASSERT_TRUE(cv::imwrite(stacks.path() + "001/02.bmp", cv::Mat(1, 1, CV_8U, cv::Scalar(255))));
    for (const MeasureEntry& measure : measure_registry()) {
        SCOPED_TRACE(measure.long_name);
        const ProgramRun run = run_program(
            kExecutable, {std::to_string(measure.code), stacks.path(), "1", "1", "2"}, work.path());
        EXPECT_EQ(run.exit_status, 0) << run.standard_output;
        EXPECT_EQ(report_lines(read_file(work.path() + report_name(1, 1, measure.code))), "1\n");
    }
}

}  // namespace
