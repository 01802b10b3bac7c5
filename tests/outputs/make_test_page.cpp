// Writes the HTML page of a range of stack folders, for the browser test: every image is scored
// here with OpenCV by three focus measures written from their formulas (gradient energy,
// Laplacian energy, vertical autocorrelation), the picks are the first maxima, and the page is
// written the way the tool writes its output files.
//
// usage: make_test_page <page.html> <base folder ending in /> <first> <last> <images per stack>
#include <cstdio>
#include <cstdlib>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <string>
#include <vector>

#include "html_report.h"
#include "replace_file.h"

namespace {

cv::Mat read_image(const std::string& base, int folder, int image_number) {
    char name[32];
    std::snprintf(name, sizeof name, "%03d/%02d.bmp", folder, image_number);
    return cv::imread(base + name, cv::IMREAD_GRAYSCALE);
}

double squared_sum(const cv::Mat& terms) { return terms.dot(terms); }

double gradient_energy(const cv::Mat& image) {
    cv::Mat gx, gy;
    cv::Sobel(image, gx, CV_64F, 1, 0, 3, 1.0 / 255, 0, cv::BORDER_REPLICATE);
    cv::Sobel(image, gy, CV_64F, 0, 1, 3, 1.0 / 255, 0, cv::BORDER_REPLICATE);
    return squared_sum(gx) + squared_sum(gy);
}

double laplacian_energy(const cv::Mat& image) {
    cv::Mat laplacian;
    cv::Laplacian(image, laplacian, CV_64F, 1, 1.0 / 255, 0, cv::BORDER_REPLICATE);
    return squared_sum(laplacian);
}

// Vollath's F4 down the columns: sum I(y)I(y+1) - sum I(y)I(y+2).
double vertical_autocorrelation(const cv::Mat& image) {
    cv::Mat pixels;
    image.convertTo(pixels, CV_64F, 1.0 / 255);
    const int rows = pixels.rows;
    return pixels.rowRange(0, rows - 1).dot(pixels.rowRange(1, rows)) -
           pixels.rowRange(0, rows - 2).dot(pixels.rowRange(2, rows));
}

int first_maximum(const std::vector<double>& scores) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < scores.size(); ++i) {
        if (scores[i] > scores[best]) best = i;
    }
    return static_cast<int>(best) + 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fputs("usage: make_test_page <page.html> <base folder/> <first> <last> <images>\n",
                   stderr);
        return 2;
    }
    const std::string page_file = argv[1];
    ReportRun run;
    run.base_folder = argv[2];
    run.first_folder = std::atoi(argv[3]);
    run.last_folder = std::atoi(argv[4]);
    const int images = std::atoi(argv[5]);
    run.engine = "OpenCV (test page)";
    run.methods = {
        {1, "vertical autocorrelation"}, {3, "gradient energy"}, {4, "Laplacian energy"}};
    double (*const kMeasures[])(const cv::Mat&) = {vertical_autocorrelation, gradient_energy,
                                                   laplacian_energy};

    const double start = static_cast<double>(cv::getTickCount());
    std::vector<FolderScores> folders;
    for (int folder = run.first_folder; folder <= run.last_folder; ++folder) {
        FolderScores scores{folder, {}};
        for (std::size_t m = 0; m < run.methods.size(); ++m) {
            scores.methods.push_back({run.methods[m].code, {}, 1});
        }
        for (int image = 1; image <= images; ++image) {
            const cv::Mat pixels = read_image(run.base_folder, folder, image);
            if (pixels.empty()) {
                std::fprintf(stderr, "make_test_page: cannot read image %d of folder %d\n", image,
                             folder);
                return 1;
            }
            for (std::size_t m = 0; m < run.methods.size(); ++m) {
                scores.methods[m].scores.push_back(kMeasures[m](pixels));
            }
        }
        for (MethodScores& method : scores.methods) {
            method.best_number = first_maximum(method.scores);
        }
        folders.push_back(scores);
    }
    run.elapsed_seconds =
        (static_cast<double>(cv::getTickCount()) - start) / cv::getTickFrequency();

    const std::string page = html_report(run, folders, [&](int folder, int image_number) {
        return read_image(run.base_folder, folder, image_number);
    });
    std::string reason;
    if (!replace_file(page_file, page, &reason)) {
        std::fprintf(stderr, "make_test_page: cannot write %s: %s\n", page_file.c_str(),
                     reason.c_str());
        return 1;
    }
    return 0;
}
