// The up-front walk over the folders and images of a run.
#include "input_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "stack_image_sizes.h"
#include "test_support.h"

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

    // A base folder without the final separator is a prefix.
    config_.base_folder = stacks_.path() + "00";
    expect_missing("00001/01.bmp", "00001/", true);
}

TEST(MixedSizesFailure, NamesTheFolderImage1AndTheFirstThatDiffers) {
    EXPECT_FALSE(mixed_sizes_failure("/s/001/", {{24, 16}, {24, 16}, {24, 16}}).has_value());
    EXPECT_FALSE(mixed_sizes_failure("/s/001/", {{5, 7}}).has_value());
    const std::string start = "\nLas imagenes de la carpeta /s/001/ no tienen el mismo tamano: ";
    EXPECT_EQ(mixed_sizes_failure("/s/001/", {{24, 16}, {24, 16}, {16, 24}, {30, 30}}),
              start + "01.bmp mide 24 x 16 y 03.bmp mide 16 x 24");
    EXPECT_EQ(mixed_sizes_failure("/s/001/", {{24, 16}, {24, 17}}),
              start + "01.bmp mide 24 x 16 y 02.bmp mide 24 x 17");
}

}  // namespace
