// Each registered focus measure's 8-bit entry point beside the OpenCV code a user would write for
// the same quantity, on random-texture images of three sizes, with the same number of threads for
// both. Before timing, every pair is checked to compute the same value; a mismatch aborts the run.
// A measure without an OpenCV counterpart here is timed alone.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <opencv2/core.hpp>
#include <opencv2/core/utility.hpp>
#include <opencv2/imgproc.hpp>
#include <string>
#include <thread>
#include <vector>

#include "measure_registry.h"
#include "opencv_focus_measures.h"

namespace {

using OpenCVMeasure = double (*)(const cv::Mat&);

// The OpenCV counterparts, by the registry's short name.
struct OpenCVCounterpart {
    const char* short_name;
    OpenCVMeasure measure;
};
const OpenCVCounterpart kOpenCVCounterparts[] = {
    {"vollath-f4", opencv_vollath_f4},
    {"mdct", opencv_mdct},
    {"tenengrad", opencv_tenengrad},
    {"laplacian", opencv_laplacian},
};

struct MeasurePair {
    const char* name;
    PlainMeasure tool;
    OpenCVMeasure opencv;  // nullptr when there is none
};

std::vector<MeasurePair> measure_pairs() {
    std::vector<MeasurePair> pairs;
    for (const MeasureEntry& measure : measure_registry()) {
        OpenCVMeasure opencv = nullptr;
        for (const OpenCVCounterpart& counterpart : kOpenCVCounterparts) {
            if (std::strcmp(counterpart.short_name, measure.short_name) == 0) {
                opencv = counterpart.measure;
            }
        }
        pairs.push_back({measure.short_name, measure.uchar, opencv});
    }
    return pairs;
}

const cv::Size kSizes[] = {{640, 480}, {1388, 1040}, {2048, 2048}};

// Both sides add in different orders; far below this, rounding is the only difference.
constexpr double kRelativeTolerance = 1e-9;

// Uniform noise softened by a small Gaussian, so that neighbouring pixels are correlated as in
// a real image and Vollath F4 (a difference of two close sums) stays well above rounding.
cv::Mat random_texture(cv::Size size) {
    cv::Mat noise(size, CV_8U);
    cv::RNG rng(0x7e47u + static_cast<unsigned>(size.area()));
    rng.fill(noise, cv::RNG::UNIFORM, 0, 256);
    cv::Mat texture;
    cv::GaussianBlur(noise, texture, cv::Size(0, 0), 1.5);
    return texture;
}

double tool_value(const MeasurePair& measure, const cv::Mat& image, int threads) {
    return measure.tool(image.ptr<unsigned char>(), image.cols, image.rows, threads);
}

bool same_values(const MeasurePair& measure, const cv::Mat& image, int threads) {
    if (measure.opencv == nullptr) {
        return true;
    }
    const double tool = tool_value(measure, image, threads);
    const double opencv = measure.opencv(image);
    const bool same = std::abs(tool - opencv) <= kRelativeTolerance * std::abs(opencv);
    if (!same) {
        std::fprintf(stderr, "%s on %d x %d: tool %.17g, OpenCV %.17g: not the same quantity\n",
                     measure.name, image.cols, image.rows, tool, opencv);
    }
    return same;
}

std::string size_label(const cv::Mat& image) {
    return std::to_string(image.cols) + "x" + std::to_string(image.rows);
}

void register_pair(const MeasurePair& measure, const cv::Mat& image, int threads) {
    const std::string suffix = "/" + size_label(image);
    benchmark::RegisterBenchmark(
        ("tool/" + std::string(measure.name) + suffix).c_str(),
        [&measure, &image, threads](benchmark::State& state) {
            for (auto _ : state) {
                benchmark::DoNotOptimize(tool_value(measure, image, threads));
            }
        })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    if (measure.opencv == nullptr) {
        return;
    }
    benchmark::RegisterBenchmark(("opencv/" + std::string(measure.name) + suffix).c_str(),
                                 [&measure, &image](benchmark::State& state) {
                                     for (auto _ : state) {
                                         benchmark::DoNotOptimize(measure.opencv(image));
                                     }
                                 })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 2;
    }
    // The tool's CPU runtime runs blocks on one thread per core; OpenCV gets as many, and so does
    // the measures' host reduction.
    const int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    cv::setNumThreads(threads);
    benchmark::AddCustomContext("threads (tool and OpenCV)", std::to_string(threads));

    std::vector<cv::Mat> images;
    for (const cv::Size size : kSizes) {
        images.push_back(random_texture(size));
    }
    // Registered benchmarks keep references to the pairs and the images.
    static const std::vector<MeasurePair> pairs = measure_pairs();
    bool all_same = true;
    for (const cv::Mat& image : images) {
        for (const MeasurePair& measure : pairs) {
            all_same = same_values(measure, image, threads) && all_same;
        }
    }
    if (!all_same) {
        return 1;
    }
    for (const MeasurePair& measure : pairs) {
        for (const cv::Mat& image : images) {
            register_pair(measure, image, threads);
        }
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
