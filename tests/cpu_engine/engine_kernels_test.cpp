// The engine against the kernels' 8-bit entry points, which compute the same quantity in double
// precision: within 1e-12 of the larger sum the value is made of (the value itself but for
// Vollath F4, a difference of two close sums).

#include <gtest/gtest.h>

#include <cmath>

#include "engine_measures.h"
#include "random_images.h"

using namespace bestfocus;

namespace {

class EngineAgainstKernel : public testing::TestWithParam<MeasureUnderTest> {};

TEST_P(EngineAgainstKernel, AgreeWithin1e12OnRandomImages) {
    const MeasureUnderTest& measure = GetParam();
    unsigned seed = 100;
    for (const Size size : awkward_sizes()) {
        const ExactImage image = random_image(size, seed++);
        const double engine = engine_value(measure, image, 1);
        const double kernel =
            measure.entry->uchar(image.bytes.data(), image.width, image.height, 2);
        const double scale = scaled(measure.reference(image).magnitude);
        EXPECT_LE(std::abs(engine - kernel), 1e-12 * scale)
            << size.width << " x " << size.height << ": engine " << engine << ", kernel " << kernel;
    }
}

INSTANTIATE_TEST_SUITE_P(CpuEngine, EngineAgainstKernel, testing::ValuesIn(engine_measures()),
                         engine_measure_name);

}  // namespace
