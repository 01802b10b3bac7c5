// The up-front walk over the folders and images of a run.
#include "input_check.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <opencv2/imgcodecs.hpp>
#include <string>

#include "run_failure.h"
#include "stack_image_sizes.h"
#include "test_support.h"

using namespace bestfocus;

namespace {

class FirstMissingInput : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* folder : {"001", "002", "003"}) {
            write_test_stack(stacks_.path(), folder, {10, 20, 30, 40});
        }
        config_.base_folder = stacks_.path();
        config_.first_folder = 1;
        config_.last_folder = 3;
        config_.images_per_stack = 4;
    }

    void expect_missing(const std::string& image, const std::string& folder, bool folder_missing) {
        const std::optional<MissingInput> missing = first_missing_input(config_);
        ASSERT_TRUE(missing.has_value());
        EXPECT_EQ(missing->image_path, stacks_.path() + image);
        EXPECT_EQ(missing->folder_path, stacks_.path() + folder);
        EXPECT_EQ(missing->folder_missing, folder_missing);
    }

    TemporaryFolder stacks_;
    RunConfig config_;
};

TEST_F(FirstMissingInput, NothingWhenEveryImageIsThere) {
    EXPECT_FALSE(first_missing_input(config_).has_value());
    config_.first_folder = 5;
    config_.last_folder = 4;  // no folder at all
    EXPECT_FALSE(first_missing_input(config_).has_value());
}

TEST_F(FirstMissingInput, FirstInFolderThenImageOrder) {
    std::filesystem::remove(stacks_.path() + "003/01.bmp");
    std::filesystem::remove(stacks_.path() + "002/04.bmp");
    std::filesystem::remove(stacks_.path() + "002/03.bmp");
    expect_missing("002/03.bmp", "002/", false);

    // Not a regular file: a folder in its place.
    std::filesystem::create_directory(stacks_.path() + "002/03.bmp");
    expect_missing("002/03.bmp", "002/", false);
}

TEST_F(FirstMissingInput, MissingFolderNamesItsFirstImage) {
    std::filesystem::remove_all(stacks_.path() + "002");
    std::filesystem::remove(stacks_.path() + "001/04.bmp");
    config_.images_per_stack = 3;
    expect_missing("002/01.bmp", "002/", true);

    // A loop of links in place of the folder is told apart from a folder that is not there.
    std::filesystem::create_symlink("002", stacks_.path() + "002");
    const std::optional<MissingInput> looping = first_missing_input(config_);
    ASSERT_TRUE(looping.has_value());
    EXPECT_TRUE(looping->folder_link_loop);

    // A path longer than PATH_MAX is told apart too, in the system's words.
    config_.base_folder = stacks_.path() + std::string(5000, 'a') + "/";
    const std::optional<MissingInput> too_long = first_missing_input(config_);
    ASSERT_TRUE(too_long.has_value());
    EXPECT_EQ(too_long->unexaminable, std::strerror(ENAMETOOLONG));
    EXPECT_NE(missing_input_failure(*too_long, config_.base_folder)
                  .diagnostic.find("cannot be examined: File name too long"),
              std::string::npos);
    config_.base_folder = stacks_.path();

    // A base folder without the final separator is a prefix.
    config_.base_folder = stacks_.path() + "00";
    expect_missing("00001/01.bmp", "00001/", true);
}

// Stacks under names of their own: planes in folders, and multi-page files.
class NamedLayouts : public ::testing::Test {
  protected:
    void SetUp() override {
        for (int folder = 1; folder <= 2; ++folder) {
            const std::string planes = stacks_.path() + "pos_" + std::to_string(folder) + "/";
            std::filesystem::create_directory(planes);
            std::vector<cv::Mat> pages;
            for (int image = 1; image <= 2 + folder; ++image) {
                pages.push_back(cv::Mat(4, 6, CV_16U, cv::Scalar(1000 * image)));
                cv::imwrite(planes + "z" + std::to_string(image) + ".png", pages.back());
            }
            cv::imwritemulti(stacks_.path() + "stack_" + std::to_string(folder) + ".tif", pages);
        }
        config_.base_folder = stacks_.path();
        config_.first_folder = 1;
        config_.last_folder = 2;
    }

    // The images each stack holds, or the missing input.
    std::vector<int> counted(const char* folder_names, int images_per_stack,
                             std::optional<MissingInput>* missing = nullptr) {
        config_.layout.folder_names = folder_names;
        config_.layout.image_names = "z%d.png";
        config_.images_per_stack = images_per_stack;
        std::vector<StackSource> stacks;
        const std::optional<MissingInput> found = first_missing_input(config_, &stacks);
        if (missing != nullptr) *missing = found;
        std::vector<int> images;
        for (const StackSource& stack : stacks) images.push_back(stack.images);
        return images;
    }

    TemporaryFolder stacks_;
    RunConfig config_;
};

TEST_F(NamedLayouts, ZeroImagesCountsEachStack) {
    EXPECT_EQ(counted("pos_%d", 0), (std::vector<int>{3, 4}));
    EXPECT_EQ(counted("stack_%d.tif", 0), (std::vector<int>{3, 4}));
    EXPECT_EQ(counted("pos_%d", 2), (std::vector<int>{2, 2}));
    EXPECT_EQ(counted("stack_%d.tif", 3), (std::vector<int>{3, 3}));

    // The count stops at the first gap.
    std::filesystem::remove(stacks_.path() + "pos_2/z2.png");
    EXPECT_EQ(counted("pos_%d", 0), (std::vector<int>{3, 1}));
}

TEST_F(NamedLayouts, MissingPlanesAndShortFilesAreNamedInOrder) {
    std::optional<MissingInput> missing;
    counted("pos_%d", 4, &missing);
    ASSERT_TRUE(missing.has_value());
    EXPECT_EQ(missing->image_path, stacks_.path() + "pos_1/z4.png");
    EXPECT_EQ(missing->pages_found, -1);

    counted("stack_%d.tif", 4, &missing);
    ASSERT_TRUE(missing.has_value());
    EXPECT_EQ(missing->image_path, stacks_.path() + "stack_1.tif");
    EXPECT_EQ(missing->pages_found, 3);
    EXPECT_EQ(missing->pages_asked, 4);

    // A file OpenCV cannot read holds no page, even when all are asked for.
    write_file(stacks_.path() + "stack_1.tif", "not a TIFF file");
    counted("stack_%d.tif", 0, &missing);
    ASSERT_TRUE(missing.has_value());
    EXPECT_EQ(missing->image_path, stacks_.path() + "stack_1.tif");
    EXPECT_EQ(missing->pages_found, 0);

    // A file whose chain of pages breaks is refused even when the pages asked for are there.
    std::vector<cv::Mat> pages(6, cv::Mat(4, 6, CV_16U, cv::Scalar(500)));
    cv::imwritemulti(stacks_.path() + "stack_1.tif", pages);
    std::filesystem::resize_file(stacks_.path() + "stack_1.tif",
                                 std::filesystem::file_size(stacks_.path() + "stack_1.tif") / 2);
    counted("stack_%d.tif", 1, &missing);
    ASSERT_TRUE(missing.has_value());
    EXPECT_TRUE(missing->pages_damaged);

    std::filesystem::remove_all(stacks_.path() + "pos_1");
    counted("pos_%d", 0, &missing);
    ASSERT_TRUE(missing.has_value());
    EXPECT_TRUE(missing->folder_missing);
    EXPECT_EQ(missing->image_path, stacks_.path() + "pos_1/z1.png");
}

// The folder's message names image 1 and the first image that differs from it.
std::optional<std::string> mixed_message(const std::vector<ImageSize>& sizes,
                                         const std::string& image_names = kDefaultImageNames) {
    const std::optional<MixedSizes> mixed = mixed_sizes(sizes, image_names);
    if (!mixed) return std::nullopt;
    return tool_message(mixed_sizes_failure("/s/001/", *mixed));
}

TEST(MixedSizesFailure, NamesTheFolderImage1AndTheFirstThatDiffers) {
    EXPECT_FALSE(mixed_message({{24, 16}, {24, 16}, {24, 16}}).has_value());
    EXPECT_FALSE(mixed_message({{5, 7}}).has_value());
    const std::string start = "\nLas imagenes de la carpeta /s/001/ no tienen el mismo tamano: ";
    EXPECT_EQ(mixed_message({{24, 16}, {24, 16}, {16, 24}, {30, 30}}),
              start + "01.bmp mide 24 x 16 y 03.bmp mide 16 x 24");
    EXPECT_EQ(mixed_message({{24, 16}, {24, 17}}),
              start + "01.bmp mide 24 x 16 y 02.bmp mide 24 x 17");
    // Images under other names, and pages.
    EXPECT_EQ(mixed_message({{24, 16}, {24, 17}}, "z%03d.tif"),
              start + "z001.tif mide 24 x 16 y z002.tif mide 24 x 17");
    EXPECT_EQ(mixed_message({{24, 16}, {24, 17}}, "page %d"),
              start + "page 1 mide 24 x 16 y page 2 mide 24 x 17");
}

}  // namespace
