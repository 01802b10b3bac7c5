// The engine against the kernels' 8-bit entry points, which compute the same quantity in double
// precision: within 1e-12 of the larger sum the value is made of (the value itself but for
// Vollath F4, a difference of two close sums).

#include <gtest/gtest.h>

#include <cmath>

#include "engine_measures.h"
#include "measures.h"
#include "random_images.h"

namespace {

using KernelMeasure = double (*)(const unsigned char* pixels, int width, int height,
                                 int host_threads);

struct EngineAndKernel {
    MeasureUnderTest measure;
    KernelMeasure kernel;
};

const EngineAndKernel kPairs[] = {
    {kEngineMeasures[0], funcion_VollathF4_MemEficient_GPU_uchar},
    {kEngineMeasures[1], funcion_MDCT_GPU_uchar},
    {kEngineMeasures[2], funcion_TEN_GPU_uchar},
    {kEngineMeasures[3], funcion_LAP_GPU_uchar},
};

void PrintTo(const EngineAndKernel& pair, std::ostream* out) { *out << pair.measure.name; }

class EngineAgainstKernel : public testing::TestWithParam<EngineAndKernel> {};

TEST_P(EngineAgainstKernel, AgreeWithin1e12OnRandomImages) {
    const EngineAndKernel& pair = GetParam();
    unsigned seed = 100;
    for (const Size size : awkward_sizes()) {
        const ExactImage image = random_image(size, seed++);
        const double engine = engine_value(pair.measure, image, 1);
        const double kernel = pair.kernel(image.bytes.data(), image.width, image.height, 2);
        const double scale = scaled(pair.measure.reference(image).magnitude);
        EXPECT_LE(std::abs(engine - kernel), 1e-12 * scale)
            << size.width << " x " << size.height << ": engine " << engine << ", kernel " << kernel;
    }
}

INSTANTIATE_TEST_SUITE_P(CpuEngine, EngineAgainstKernel, testing::ValuesIn(kPairs),
                         [](const auto& info) { return std::string(info.param.measure.name); });

}  // namespace
