// Each registered focus measure four ways, side by side in one run, on random-texture images of
// three sizes: the CPU engine (on all the cores, and on one thread as it runs inside a whole job),
// on the CPU runtime the kernels' 8-bit entry point and the kernel engine's exact kernels, and the
// OpenCV code a user would write. Before timing, the engine is checked against the kernels and
// OpenCV, and the exact kernels against the engine's bits; a mismatch aborts the run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <opencv2/core.hpp>
#include <opencv2/core/utility.hpp>
#include <opencv2/imgproc.hpp>
#include <string>
#include <thread>
#include <vector>

#include "all_measure_test_facts.h"
#include "measure_registry.h"

using namespace bestfocus;

namespace {

using OpenCVMeasure = double (*)(const cv::Mat&);

// A registered measure with the OpenCV code for the same quantity.
struct MeasureTriple {
    const MeasureEntry* entry;
    OpenCVMeasure opencv;
};

// The OpenCV counterpart of each registered measure (its test facts'), by short name.
OpenCVMeasure opencv_counterpart(const std::string& short_name) {
#define BESTFOCUS_OPENCV_ROW(code, name, listed_short_name, long_name, stem) \
    if (short_name == listed_short_name) return test_facts::name::opencv;
    BESTFOCUS_MEASURE_LIST(BESTFOCUS_OPENCV_ROW)
#undef BESTFOCUS_OPENCV_ROW
    return nullptr;
}

// Every registered measure that has an OpenCV counterpart here (a new one without is reported).
std::vector<MeasureTriple> measure_triples() {
    std::vector<MeasureTriple> triples;
    for (const MeasureEntry& entry : measure_registry()) {
        if (const OpenCVMeasure opencv = opencv_counterpart(entry.short_name)) {
            triples.push_back({&entry, opencv});
        } else {
            std::fprintf(stderr, "%s has no OpenCV counterpart: not timed\n", entry.short_name);
        }
    }
    return triples;
}

const cv::Size kSizes[] = {{640, 480}, {1388, 1040}, {2048, 2048}};

// Far above the rounding of either double-precision side on these images (the engine is exact).
constexpr double kRelativeTolerance = 1e-9;

// Uniform noise softened by a small Gaussian, as in measures_bench: neighbouring pixels are
// correlated as in a real image, so Vollath F4 stays well above rounding.
cv::Mat random_texture(cv::Size size) {
    cv::Mat noise(size, CV_8U);
    cv::RNG rng(0x7e47u + static_cast<unsigned>(size.area()));
    rng.fill(noise, cv::RNG::UNIFORM, 0, 256);
    cv::Mat texture;
    cv::GaussianBlur(noise, texture, cv::Size(0, 0), 1.5);
    return texture;
}

double engine_value(const MeasureTriple& measure, const cv::Mat& image, int threads) {
    return measure.entry->cpu(image.ptr<unsigned char>(), image.cols, image.rows, image.step1(),
                              threads);
}

double kernels_value(const MeasureTriple& measure, const cv::Mat& image, int threads) {
    return measure.entry->uchar(image.ptr<unsigned char>(), image.cols, image.rows, threads);
}

double exact_kernels_value(const MeasureTriple& measure, const cv::Mat& image, int threads) {
    return measure.entry->kernel(image.ptr<unsigned char>(), image.cols, image.rows, threads);
}

bool close(double value, double expected) {
    return std::abs(value - expected) <= kRelativeTolerance * std::abs(expected);
}

bool same_values(const MeasureTriple& measure, const cv::Mat& image, int threads) {
    const double engine = engine_value(measure, image, threads);
    const double kernels = kernels_value(measure, image, threads);
    const double opencv = measure.opencv(image);
    const double exact_kernels = exact_kernels_value(measure, image, threads);
    const bool same = close(engine, kernels) && close(engine, opencv) && exact_kernels == engine;
    if (!same) {
        std::fprintf(stderr,
                     "%s on %d x %d: engine %.17g, kernels %.17g, exact kernels %.17g, OpenCV "
                     "%.17g: not the same quantity\n",
                     measure.entry->short_name, image.cols, image.rows, engine, kernels,
                     exact_kernels, opencv);
    }
    return same;
}

template <class Body>
void register_timed(const std::string& name, Body body) {
    benchmark::RegisterBenchmark(name.c_str(),
                                 [body](benchmark::State& state) {
                                     for (auto _ : state) {
                                         benchmark::DoNotOptimize(body());
                                     }
                                 })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

void register_measure(const MeasureTriple& measure, const cv::Mat& image, int threads) {
    const std::string suffix = "/" + std::string(measure.entry->short_name) + "/" +
                               std::to_string(image.cols) + "x" + std::to_string(image.rows);
    const MeasureTriple* m = &measure;
    const cv::Mat* i = &image;
    register_timed("engine" + suffix, [m, i, threads] { return engine_value(*m, *i, threads); });
    register_timed("engine_1thread" + suffix, [m, i] { return engine_value(*m, *i, 1); });
    register_timed("kernels" + suffix, [m, i, threads] { return kernels_value(*m, *i, threads); });
    register_timed("exact_kernels" + suffix,
                   [m, i, threads] { return exact_kernels_value(*m, *i, threads); });
    register_timed("opencv" + suffix, [m, i] { return m->opencv(*i); });
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 2;
    }
    // All three get one thread per core: the CPU runtime runs blocks on one worker per core.
    const int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    cv::setNumThreads(threads);
    benchmark::AddCustomContext("threads", std::to_string(threads));

    std::vector<cv::Mat> images;
    for (const cv::Size size : kSizes) {
        images.push_back(random_texture(size));
    }
    // Registered benchmarks keep references to the measures and the images.
    static const std::vector<MeasureTriple> measures = measure_triples();
    bool all_same = true;
    for (const cv::Mat& image : images) {
        for (const MeasureTriple& measure : measures) {
            all_same = same_values(measure, image, threads) && all_same;
        }
    }
    if (!all_same) {
        return 1;
    }
    for (const MeasureTriple& measure : measures) {
        for (const cv::Mat& image : images) {
            register_measure(measure, image, threads);
        }
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
