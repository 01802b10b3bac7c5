// Writes focus stacks whose focal surface is known at every pixel, and that surface beside them, so
// that a benchmark can score depth maps and all-in-focus images:
//   <base>NNN/NN.bmp            the stacks, folders 001 onwards, images 01 onwards (8-bit gray)
//   <base>truth/NNN_sharp.tif   the scene as it looks in focus everywhere (8-bit gray)
//   <base>truth/NNN_z.tif       the focal surface: at each pixel the 1-based image number, a
//                               fraction, where that pixel is in focus (32-bit float)
//   <base>truth/NNN_textured.tif  255 where the scene has texture, 0 on its blank patches
// Odd folders lie on a tilted plane, even ones on a curved surface (a bowl). The scene is a
// texture of several scales (softened once by the lens at best focus) with blank patches of one
// gray, where no measure can tell focus. Image i sees each pixel blurred by a Gaussian whose sigma
// grows with |i - z(x, y)|; then sensor noise is added. Everything comes from fixed seeds.
//
// Usage: make_focal_surface_stacks <base folder ending in /> <width> <height> <folders> <images>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace {

constexpr double kLensSigma = 1.0;         // pixels, at best focus
constexpr double kDefocusSigmaStep = 0.9;  // extra pixels of sigma per image away from focus
constexpr double kNoiseSigma = 2.0;        // gray levels
constexpr double kBlankGray = 200.0;       // the blank patches (a bright-field background)
constexpr int kBlankPatches = 3;

// Random values on a grid `cell` pixels apart, smoothly interpolated: features of about that size.
cv::Mat smooth_noise(cv::Size size, int cell, cv::RNG& rng) {
    cv::Mat coarse(size.height / cell + 2, size.width / cell + 2, CV_32F);
    rng.fill(coarse, cv::RNG::NORMAL, 0.0, 1.0);
    cv::Mat fine;
    cv::resize(coarse, fine, cv::Size(coarse.cols * cell, coarse.rows * cell), 0, 0,
               cv::INTER_CUBIC);
    return fine(cv::Rect(0, 0, size.width, size.height)).clone();
}

// The in-focus scene and where it has texture (255) or is blank (0).
void draw_scene(cv::Size size, cv::RNG& rng, cv::Mat& sharp, cv::Mat& textured) {
    cv::Mat texture = cv::Mat::zeros(size, CV_32F);
    // Finer features weigh more: they are the ones defocus takes away.
    for (const auto& [cell, weight] : {std::pair{3, 1.5}, {6, 1.0}, {12, 0.6}, {24, 0.3}}) {
        texture += weight * smooth_noise(size, cell, rng);
    }
    texture = 120.0 + 25.0 * texture;
    textured = cv::Mat(size, CV_8U, cv::Scalar(255));
    const int shorter = std::min(size.width, size.height);
    for (int i = 0; i < kBlankPatches; ++i) {
        const cv::Point centre(rng.uniform(0, size.width), rng.uniform(0, size.height));
        cv::circle(textured, centre, std::max(1, shorter / 7), cv::Scalar(0), cv::FILLED);
    }
    texture.setTo(cv::Scalar(kBlankGray), textured == 0);
    cv::GaussianBlur(texture, sharp, cv::Size(0, 0), kLensSigma);
}

// The focal surface, 1-based image numbers: a plane tilted across the field, or a bowl, each
// spanning the middle 80 % of the stack.
cv::Mat focal_surface(cv::Size size, int images, bool curved) {
    cv::Mat z(size, CV_32F);
    const double span = 0.8 * (images - 1);
    const double low = 1.0 + 0.1 * (images - 1);
    for (int y = 0; y < size.height; ++y) {
        for (int x = 0; x < size.width; ++x) {
            const double u = (x + 0.5) / size.width;  // 0 to 1 across the field
            const double v = (y + 0.5) / size.height;
            const double along =
                curved ? 2.0 * ((u - 0.5) * (u - 0.5) + (v - 0.5) * (v - 0.5)) : 0.7 * u + 0.3 * v;
            z.at<float>(y, x) = static_cast<float>(low + span * along);
        }
    }
    return z;
}

// Image `image` of the stack: each pixel blurred as far as it lies from its focus, the blur
// interpolated linearly between the whole-image blurs of the two nearest whole distances.
cv::Mat take_image(const std::vector<cv::Mat>& blurred, const cv::Mat& z, int image, cv::RNG& rng) {
    cv::Mat noise(z.size(), CV_32F);
    rng.fill(noise, cv::RNG::NORMAL, 0.0, kNoiseSigma);
    cv::Mat pixels(z.size(), CV_8U);
    for (int y = 0; y < z.rows; ++y) {
        for (int x = 0; x < z.cols; ++x) {
            const double distance = std::abs(image - z.at<float>(y, x));
            const int near = static_cast<int>(distance);
            const double far_weight = distance - near;
            const double value = (1 - far_weight) * blurred[near].at<float>(y, x) +
                                 far_weight * blurred[near + 1].at<float>(y, x);
            pixels.at<uchar>(y, x) = cv::saturate_cast<uchar>(value + noise.at<float>(y, x));
        }
    }
    return pixels;
}

std::string zero_padded(int value, int digits) {
    char text[16];  // any int fits
    std::snprintf(text, sizeof text, "%0*d", digits, value);
    return text;
}

bool make_folder(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "make_focal_surface_stacks: cannot create %s\n", folder.c_str());
    }
    return !error;
}

bool write(const std::string& path, const cv::Mat& image) {
    if (!cv::imwrite(path, image)) {
        std::fprintf(stderr, "make_focal_surface_stacks: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

bool write_stack(const std::string& base, cv::Size size, int folder, int images) {
    cv::RNG rng(0xf0ca1000u + static_cast<unsigned>(folder));
    cv::Mat sharp;
    cv::Mat textured;
    draw_scene(size, rng, sharp, textured);
    const cv::Mat z = focal_surface(size, images, folder % 2 == 0);
    // Whole-image blurs at whole distances 0 to images - 1, and one more for the interpolation.
    std::vector<cv::Mat> blurred{sharp};
    for (int distance = 1; distance <= images; ++distance) {
        cv::Mat level;
        cv::GaussianBlur(sharp, level, cv::Size(0, 0), kDefocusSigmaStep * distance);
        blurred.push_back(level);
    }
    const std::string name = zero_padded(folder, 3);
    const std::string truth = base + "truth/" + name;
    cv::Mat sharp_pixels;
    sharp.convertTo(sharp_pixels, CV_8U);  // rounds and saturates to 0..255
    if (!make_folder(base + name) || !make_folder(base + "truth") ||
        !write(truth + "_sharp.tif", sharp_pixels) || !write(truth + "_z.tif", z) ||
        !write(truth + "_textured.tif", textured)) {
        return false;
    }
    for (int image = 1; image <= images; ++image) {
        if (!write(base + name + "/" + zero_padded(image, 2) + ".bmp",
                   take_image(blurred, z, image, rng))) {
            return false;
        }
    }
    return true;
}

// The argument as a count from `least` to `most`, or 0 when it is anything else.
int count_argument(const char* text, int least, int most) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return *end == '\0' && value >= least && value <= most ? static_cast<int>(value) : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr,
                     "usage: make_focal_surface_stacks <base folder ending in /> <width> <height>"
                     " <folders> <images per stack>\n");
        return 2;
    }
    const std::string base = argv[1];
    constexpr int kLargestSide = 1 << 15;
    const int width = count_argument(argv[2], 8, kLargestSide);
    const int height = count_argument(argv[3], 8, kLargestSide);
    const int folders = count_argument(argv[4], 1, 999);  // the folder names have three digits
    const int images = count_argument(argv[5], 2, 99);    // the image names have two
    if (width == 0 || height == 0 || folders == 0 || images == 0) {
        std::fprintf(stderr,
                     "make_focal_surface_stacks: sides from 8 to %d, 1 to 999 folders, 2 to 99 "
                     "images\n",
                     kLargestSide);
        return 2;
    }
    for (int folder = 1; folder <= folders; ++folder) {
        if (!write_stack(base, cv::Size(width, height), folder, images)) {
            return 1;
        }
    }
    return 0;
}
