// The value depends on the pixels alone: not on how many threads add the rows, nor on the row
// stride of the buffer that holds them, nor on being called from inside another team.

#include <gtest/gtest.h>
#include <omp.h>

#include <vector>

#include "engine_measures.h"
#include "random_images.h"

using namespace bestfocus;

namespace {

class EngineSplit : public testing::TestWithParam<MeasureUnderTest> {};

TEST_P(EngineSplit, SameBitsForEveryThreadCount) {
    omp_set_max_active_levels(3);
    // Big enough for every team size asked, in many rows or in few long ones, and small ones.
    for (const Size size : {Size{1031, 500}, Size{70001, 9}, Size{61, 47}, Size{9, 5}}) {
        const ExactImage image = random_image(size, 7u);
        const double alone = engine_value(GetParam(), image, 1);
        for (const int threads : {2, 3, 7}) {
            EXPECT_EQ(engine_value(GetParam(), image, threads), alone)
                << size.width << " x " << size.height << ", " << threads << " threads";
        }
    }
}

TEST_P(EngineSplit, SameBitsInsideAnOuterTeam) {
    omp_set_max_active_levels(3);
    const ExactImage image = random_image({640, 480}, 11u);
    const double alone = engine_value(GetParam(), image, 1);
    std::vector<double> values(4);
#pragma omp parallel for num_threads(2)
    for (int i = 0; i < 4; ++i) {
        values[i] = engine_value(GetParam(), image, 3);
    }
    for (const double value : values) {
        EXPECT_EQ(value, alone);
    }
}

// The image embedded in a wider buffer whose extra columns hold noise: only the image counts.
TEST_P(EngineSplit, SameBitsForAnyRowStride) {
    for (const Size size : {Size{1, 1}, Size{5, 9}, Size{37, 29}, Size{2051, 6}}) {
        const ExactImage image = random_image(size, 5u);
        const int stride = size.width + 13;
        const ExactImage noise = random_image({stride, size.height}, 6u);
        std::vector<unsigned char> wide(noise.bytes.begin(), noise.bytes.end());
        for (int y = 0; y < size.height; ++y) {
            for (int x = 0; x < size.width; ++x) {
                wide[static_cast<size_t>(y) * stride + x] = image.bytes[y * size.width + x];
            }
        }
        EXPECT_EQ(GetParam().engine(wide.data(), size.width, size.height, stride, 2),
                  engine_value(GetParam(), image, 1))
            << size.width << " x " << size.height;
    }
}

INSTANTIATE_TEST_SUITE_P(CpuEngine, EngineSplit, testing::ValuesIn(engine_measures()),
                         engine_measure_name);

}  // namespace
