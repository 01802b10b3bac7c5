// What the tests know of Vollath F4 from its definition alone, written apart from its kernel and
// row sums: its long double reference, its exact integer total, and the OpenCV code a user would
// write. Included only by the tests and benchmarks, through the measure list.
#pragma once

#include "measure_test_facts_support.h"

namespace bestfocus::test_facts {

struct vollath_f4 {
    // Products of pixel pairs, not a window's responses.
    static constexpr bool window = false;

    // F4 = sum over rows y <= H - 2 of I(x, y) * I(x, y + 1) - sum over rows y <= H - 3 of
    //      I(x, y) * I(x, y + 2).
    static ReferenceValue reference(const std::vector<double>& image, int width, int height) {
        auto pixel = [&](int x, int y) -> long double {
            return image[static_cast<size_t>(y) * width + x];
        };
        ReferenceValue f4{0.0L, 0.0L};
        for (int y = 0; y + 1 < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const long double term = pixel(x, y) * pixel(x, y + 1);
                f4.value += term;
                f4.magnitude += std::fabs(term);
            }
        }
        for (int y = 0; y + 2 < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const long double term = pixel(x, y) * pixel(x, y + 2);
                f4.value -= term;
                f4.magnitude += std::fabs(term);
            }
        }
        return f4;
    }

    // S1 pairs every pixel with the one below, S2 with the one two below; F4 = S1 - S2.
    template <class Image>
    static ExactValue exact(const Image& image) {
        long long s1 = 0;
        long long s2 = 0;
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                if (y + 1 < image.height) s1 += image.at(x, y) * image.at(x, y + 1);
                if (y + 2 < image.height) s2 += image.at(x, y) * image.at(x, y + 2);
            }
        }
        return {s1 - s2, std::max(s1, s2)};
    }

    static double opencv(const cv::Mat& bytes) {
        const cv::Mat values = scaled_to_unit(bytes);
        const int rows = values.rows;
        // Whole row ranges of a continuous matrix are continuous: dot() runs over them in one
        // pass.
        const double one_row_apart = values.rowRange(0, rows - 1).dot(values.rowRange(1, rows));
        const double two_rows_apart = values.rowRange(0, rows - 2).dot(values.rowRange(2, rows));
        return one_row_apart - two_rows_apart;
    }
};

}  // namespace bestfocus::test_facts
