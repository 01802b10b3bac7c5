// Small images whose MDCT, Tenengrad and Laplacian values follow by hand, and the pixels each
// measure must ignore.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "test_images.h"
#include "window_measures.h"

using namespace bestfocus;

namespace {

constexpr int kHostThreads = 10;

struct Pixel {
    int x;
    int y;
};

// A black image with the given pixels at 255.
std::vector<unsigned char> white_pixels_on_black(ImageSize size, const std::vector<Pixel>& white) {
    std::vector<unsigned char> bytes(static_cast<size_t>(size.width) * size.height, 0);
    for (const Pixel p : white) {
        bytes[static_cast<size_t>(p.y) * size.width + p.x] = 255;
    }
    return bytes;
}

std::vector<double> as_doubles(const std::vector<unsigned char>& bytes) {
    return std::vector<double>(bytes.begin(), bytes.end());
}

// Every value is a sum of squared small integers (the pixels are 0.0 and 1.0), so exact. The
// double-input variant, given 0.0 and 255.0, measures exactly 255^2 times as much.
TEST(WindowMeasureExamples, ZeroOneImagesGiveTheirHandValuesExactly) {
    const WindowMeasure mdct = window_measure("mdct");
    const WindowMeasure tenengrad = window_measure("tenengrad");
    const WindowMeasure laplacian = window_measure("laplacian");
    struct Example {
        const WindowMeasure* measure;
        ImageSize size;
        std::vector<Pixel> white;
        double value;
    };
    const std::vector<Pixel> top_left_quarter = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    const std::vector<Pixel> top_right_quarter = {{2, 0}, {3, 0}, {2, 1}, {3, 1}};
    const std::vector<Pixel> left_column = {{0, 0}, {0, 1}, {0, 2}};
    const std::vector<Example> examples = {
        {&mdct, {5, 5}, top_left_quarter, 16.0},   // S = 4
        {&mdct, {5, 5}, top_right_quarter, 16.0},  // S = -4
        {&mdct, {4, 4}, top_left_quarter, 0.0},    // the window fits but has no anchor
        {&tenengrad, {3, 3}, left_column, 16.0},   // Gx = 4, Gy = 0
        {&tenengrad, {3, 3}, {{0, 0}}, 2.0},       // Gx = Gy = 1
        {&tenengrad, {3, 3}, {{1, 1}}, 0.0},       // the centre is in neither gradient
        {&tenengrad, {5, 5}, {{2, 2}}, 24.0},      // 4 edge neighbours give 4, 4 corners 2
        {&laplacian, {3, 3}, {{1, 1}}, 16.0},      // L = -4
        {&laplacian, {3, 3}, left_column, 1.0},    // L = 1
        {&laplacian, {3, 3}, {{2, 0}}, 0.0},       // corners take no part
        {&laplacian, {5, 5}, {{2, 2}}, 20.0},      // 16 at the centre, 1 at each neighbour
    };
    for (const Example& example : examples) {
        const WindowMeasure& m = *example.measure;
        const ImageSize size = example.size;
        SCOPED_TRACE(testing::Message() << m.name << ", " << size.width << " x " << size.height
                                        << ", " << example.white.size() << " white pixels");
        const std::vector<unsigned char> bytes = white_pixels_on_black(size, example.white);
        EXPECT_EQ(m.uchar(bytes.data(), size.width, size.height, kHostThreads), example.value);
        EXPECT_EQ(m.uchar_stream(bytes.data(), size.width, size.height, kHostThreads, nullptr),
                  example.value);
        EXPECT_EQ(m.doubles(as_bytes(as_doubles(bytes)), size.width, size.height, kHostThreads),
                  255.0 * 255.0 * example.value);
    }
}

// MDCT and Laplacian cancel exactly for any gray. Tenengrad's gradients add 1, 2, 1 times a pixel
// row by row, and 3 * p rounds for most grays p: only black and white cancel exactly, the others
// leave rounding noise.
TEST(WindowMeasureExamples, ConstantImagesGiveZero) {
    const ImageSize size{41, 38};
    const WindowMeasure mdct = window_measure("mdct");
    const WindowMeasure tenengrad = window_measure("tenengrad");
    const WindowMeasure laplacian = window_measure("laplacian");
    for (const WindowMeasure* m : {&mdct, &tenengrad, &laplacian}) {
        for (int gray = 0; gray <= 255; ++gray) {
            SCOPED_TRACE(testing::Message() << m->name << ", gray " << gray);
            const std::vector<unsigned char> bytes(size.width * size.height,
                                                   static_cast<unsigned char>(gray));
            const double value = m->uchar(bytes.data(), size.width, size.height, kHostThreads);
            if (m != &tenengrad || gray == 0 || gray == 255) {
                EXPECT_EQ(value, 0.0);
            } else {
                const ReferenceValue expected =
                    m->reference(normalised(bytes), size.width, size.height);
                EXPECT_NEAR(value, 0.0, tolerance(expected));
            }
        }
    }
}

// Every row and every column of the MDCT pattern sums to zero: straight edges give nothing.
TEST(WindowMeasureExamples, MdctIgnoresStripes) {
    const ImageSize size{45, 39};
    std::mt19937 generator(31);
    std::bernoulli_distribution white(0.5);
    std::vector<unsigned char> vertical(size.width * size.height);
    std::vector<unsigned char> horizontal(vertical.size());
    std::vector<bool> column_white(size.width);
    std::vector<bool> row_white(size.height);
    for (int x = 0; x < size.width; ++x) {
        column_white[x] = white(generator);
    }
    for (int y = 0; y < size.height; ++y) {
        row_white[y] = white(generator);
    }
    for (int y = 0; y < size.height; ++y) {
        for (int x = 0; x < size.width; ++x) {
            vertical[y * size.width + x] = column_white[x] ? 255 : 0;
            horizontal[y * size.width + x] = row_white[y] ? 255 : 0;
        }
    }
    EXPECT_EQ(funcion_MDCT_GPU_uchar(vertical.data(), size.width, size.height, kHostThreads), 0.0);
    EXPECT_EQ(funcion_MDCT_GPU_uchar(horizontal.data(), size.width, size.height, kHostThreads),
              0.0);
}

// The MDCT anchors stop one short of the last position where the window fits.
TEST(WindowMeasureExamples, MdctNeverSeesTheLastRowOrColumn) {
    for (const ImageSize size : {ImageSize{5, 5}, ImageSize{37, 37}, ImageSize{70, 41}}) {
        SCOPED_TRACE(testing::Message() << size.width << " x " << size.height);
        const std::vector<unsigned char> bytes = random_bytes(size, 37);
        std::vector<unsigned char> changed = bytes;
        for (int x = 0; x < size.width; ++x) {
            changed[(size.height - 1) * size.width + x] ^= 0x5a;
        }
        for (int y = 0; y < size.height; ++y) {
            changed[y * size.width + size.width - 1] ^= 0xa5;
        }
        // One host thread adds the partial sums in one fixed order: equal sums, equal bits.
        EXPECT_EQ(funcion_MDCT_GPU_uchar(changed.data(), size.width, size.height, 1),
                  funcion_MDCT_GPU_uchar(bytes.data(), size.width, size.height, 1));
    }
}

// The Laplacian leaves out the window's corners, Tenengrad its centre.
TEST(WindowMeasureExamples, PixelsOutsideTheStencilDoNotCount) {
    const std::vector<unsigned char> image = random_bytes({3, 3}, 41);
    std::vector<unsigned char> corners_changed = image;
    for (const int corner : {0, 2, 6, 8}) {
        corners_changed[corner] ^= 0xff;
    }
    std::vector<unsigned char> centre_changed = image;
    centre_changed[4] ^= 0xff;
    EXPECT_EQ(funcion_LAP_GPU_uchar(corners_changed.data(), 3, 3, kHostThreads),
              funcion_LAP_GPU_uchar(image.data(), 3, 3, kHostThreads));
    EXPECT_EQ(funcion_TEN_GPU_uchar(centre_changed.data(), 3, 3, kHostThreads),
              funcion_TEN_GPU_uchar(image.data(), 3, 3, kHostThreads));
}

}  // namespace
