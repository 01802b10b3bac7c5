// Writes the bundled sample focus stacks: <base>NNN/NN.bmp for folders 011 to 015, 20 images
// of 320 x 240 each, plus <base>expected.txt with one "<folder> <sharpest image>" line per folder.
// Given a size, a folder count and an image count, writes that many stacks of the same kind
// instead, in folders 001 onwards (the benchmarks' larger trees).
//
// Each folder shows its own synthetic scene at successive focus positions. The scene is drawn, then
// softened once (the lens at best focus: the scene keeps no detail finer than a real optic
// passes), and every image is blurred further with a Gaussian whose sigma grows with its distance
// from the folder's in-focus position. Sensor noise of the same strength is added to every image.
// Everything comes from fixed seeds, so the output is the same on every run.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <limits>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <string>
#include <system_error>
#include <vector>

namespace {

constexpr double kLensSigma = 1.0;         // pixels, at best focus
constexpr double kDefocusSigmaStep = 0.9;  // extra pixels of sigma per focus step
constexpr double kNoiseSigma = 2.0;        // gray levels

struct SampleStack {
    int folder;
    int sharpest_image;  // 1-based
};
constexpr SampleStack kBundledStacks[] = {{11, 7}, {12, 13}, {13, 4}, {14, 17}, {15, 10}};

struct StackTree {
    cv::Size image_size;
    int images_per_stack;
    std::vector<SampleStack> stacks;
};

StackTree bundled_tree() {
    return {cv::Size(320, 240), 20, {std::begin(kBundledStacks), std::end(kBundledStacks)}};
}

// Folders 1 to `folders`; their sharpest images follow the bundled stacks' in turn.
StackTree generated_tree(cv::Size image_size, int folders, int images_per_stack) {
    StackTree tree{image_size, images_per_stack, {}};
    const int bundled_count = static_cast<int>(std::size(kBundledStacks));
    for (int folder = 1; folder <= folders; ++folder) {
        const int bundled_sharpest = kBundledStacks[(folder - 1) % bundled_count].sharpest_image;
        tree.stacks.push_back({folder, 1 + (bundled_sharpest - 1) % images_per_stack});
    }
    return tree;
}

cv::Scalar random_gray(cv::RNG& rng) { return cv::Scalar(rng.uniform(20.0, 235.0)); }

cv::Point random_point(cv::RNG& rng, cv::Size size) {
    return cv::Point(rng.uniform(0, size.width), rng.uniform(0, size.height));
}

// A gray ramp with filled shapes, outlines, lines and lettering of many sizes and contrasts.
cv::Mat draw_scene(cv::Size size, cv::RNG& rng) {
    cv::Mat scene(size, CV_32F);
    const double ramp_from = rng.uniform(60.0, 120.0);
    const double ramp_to = rng.uniform(130.0, 200.0);
    for (int y = 0; y < size.height; ++y) {
        for (int x = 0; x < size.width; ++x) {
            scene.at<float>(y, x) = static_cast<float>(ramp_from + (ramp_to - ramp_from) * (x + y) /
                                                                       (size.width + size.height));
        }
    }
    for (int i = 0; i < 25; ++i) {
        cv::circle(scene, random_point(rng, size), rng.uniform(4, 40), random_gray(rng), cv::FILLED,
                   cv::LINE_AA);
    }
    for (int i = 0; i < 15; ++i) {
        cv::rectangle(scene, random_point(rng, size), random_point(rng, size), random_gray(rng),
                      rng.uniform(1, 4), cv::LINE_AA);
    }
    for (int i = 0; i < 20; ++i) {
        cv::line(scene, random_point(rng, size), random_point(rng, size), random_gray(rng),
                 rng.uniform(1, 3), cv::LINE_AA);
    }
    for (int i = 0; i < 6; ++i) {
        cv::putText(scene, "bestfocus", random_point(rng, size), cv::FONT_HERSHEY_SIMPLEX,
                    rng.uniform(0.4, 1.2), random_gray(rng), 1, cv::LINE_AA);
    }
    cv::GaussianBlur(scene, scene, cv::Size(0, 0), kLensSigma);
    return scene;
}

cv::Mat take_image(const cv::Mat& scene, int focus_distance, cv::RNG& rng) {
    cv::Mat image = scene.clone();
    if (focus_distance != 0) {
        const double sigma = kDefocusSigmaStep * focus_distance;
        cv::GaussianBlur(scene, image, cv::Size(0, 0), sigma);
    }
    cv::Mat noise(image.size(), CV_32F);
    rng.fill(noise, cv::RNG::NORMAL, 0.0, kNoiseSigma);
    image += noise;
    cv::Mat pixels;
    image.convertTo(pixels, CV_8U);  // rounds and saturates to 0..255
    return pixels;
}

// The value in decimal with at least `digits` digits, zero-padded, as printf's "%0*d".
std::string zero_padded(int value, int digits) {
    char text[16];  // any int fits
    std::snprintf(text, sizeof text, "%0*d", digits, value);
    return text;
}

bool write_stack(const std::string& base, const StackTree& tree, const SampleStack& stack) {
    cv::RNG rng(0x5eed0000u + static_cast<unsigned>(stack.folder));
    const cv::Mat scene = draw_scene(tree.image_size, rng);
    const std::string folder = base + zero_padded(stack.folder, 3) + "/";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "make_sample_stacks: cannot create %s\n", folder.c_str());
        return false;
    }
    for (int image = 1; image <= tree.images_per_stack; ++image) {
        const std::string path = folder + zero_padded(image, 2) + ".bmp";
        const int focus_distance = std::abs(image - stack.sharpest_image);
        if (!cv::imwrite(path, take_image(scene, focus_distance, rng))) {
            std::fprintf(stderr, "make_sample_stacks: cannot write %s\n", path.c_str());
            return false;
        }
    }
    return true;
}

bool write_expected(const std::string& base, const StackTree& tree) {
    const std::string path = base + "expected.txt";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "make_sample_stacks: cannot write %s\n", path.c_str());
        return false;
    }
    for (const SampleStack& stack : tree.stacks) {
        std::fprintf(file, "%d %d\n", stack.folder, stack.sharpest_image);
    }
    return std::fclose(file) == 0;
}

// The argument as a count from 1 to `most`, or 0 when it is anything else.
int count_argument(const char* text, int most) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return *end == '\0' && value >= 1 && value <= most ? static_cast<int>(value) : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 6) {
        std::fprintf(stderr,
                     "usage: make_sample_stacks <base folder ending in />"
                     " [<width> <height> <folders> <images per stack>]\n");
        return 2;
    }
    const std::string base = argv[1];
    StackTree tree = bundled_tree();
    if (argc == 6) {
        constexpr int kMostPixels = std::numeric_limits<int>::max();
        const int width = count_argument(argv[2], kMostPixels);
        const int height = count_argument(argv[3], kMostPixels / std::max(width, 1));
        const int folders = count_argument(argv[4], 999);  // the folder names have three digits
        const int images = count_argument(argv[5], 99);    // the image names have two
        if (width == 0 || height == 0 || folders == 0 || images == 0) {
            std::fprintf(stderr, "make_sample_stacks: the size and counts must be positive\n");
            return 2;
        }
        tree = generated_tree(cv::Size(width, height), folders, images);
    }
    for (const SampleStack& stack : tree.stacks) {
        if (!write_stack(base, tree, stack)) {
            return 1;
        }
    }
    return write_expected(base, tree) ? 0 : 1;
}
