// The depth map's picture on the page: viridis from the first image to the last, pixels whose
// depth is filled in (not confident) hatched and only those.
#include "depth_heat_map.h"

#include <gtest/gtest.h>

namespace bestfocus {
namespace {

TEST(DepthHeatMap, ColoursImageNumbersAndHatchesFilledPixelsOnly) {
    // Over three images: the left half confidently at image 1, the right half filled in (no
    // confidence) at image 3.
    DepthMap depth{40, 20, std::vector<float>(800, 3.0f)};
    DepthMap confidence{40, 20, std::vector<float>(800, 0.0f)};
    for (int y = 0; y < 20; ++y) {
        std::fill_n(depth.values.begin() + y * 40, 20, 1.0f);
        std::fill_n(confidence.values.begin() + y * 40, 20, 0.9f);
    }
    const cv::Mat picture =
        depth_heat_map(HeldDepthRows(depth), HeldDepthRows(confidence), 3, {40, 20});
    // Viridis' ends, #440154 and #fde725, as B, G, R.
    const cv::Vec3b first(0x54, 0x01, 0x44);
    const cv::Vec3b last(0x25, 0xe7, 0xfd);
    int stripes = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 40; ++x) {
            const cv::Vec3b colour = picture.at<cv::Vec3b>(y, x);
            if (x < 20) {
                ASSERT_EQ(colour, first) << x << "," << y;
            } else if (colour != last) {
                ++stripes;
            }
        }
    }
    EXPECT_GT(stripes, 20 * 20 / 5);
    EXPECT_LT(stripes, 20 * 20 / 2);
    EXPECT_EQ(depth_colour(2.0, 3), cv::Vec3b(0x8c, 0x91, 0x21));  // the middle, #21918c
}

}  // namespace
}  // namespace bestfocus
