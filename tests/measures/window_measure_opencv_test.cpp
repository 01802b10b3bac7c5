// Tenengrad and Laplacian against OpenCV's filter2D, a second opinion beside the long double
// loops: the squared filter responses summed over the pixels off the image border.

#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "measures.h"
#include "test_images.h"

namespace {

constexpr int kHostThreads = 10;

// Sum over the pixels off the border of the squared responses of each kernel (a correlation:
// kernel element (i, j) weighs the pixel i rows below and j columns right of the window's corner).
double sum_of_squared_filter_responses(const std::vector<double>& values, ImageSize size,
                                       const std::vector<cv::Mat>& kernels) {
    const cv::Mat image(size.height, size.width, CV_64F, const_cast<double*>(values.data()));
    const cv::Rect off_border(1, 1, size.width - 2, size.height - 2);
    double sum = 0.0;
    for (const cv::Mat& kernel : kernels) {
        cv::Mat response;
        cv::filter2D(image, response, CV_64F, kernel, cv::Point(-1, -1), 0.0, cv::BORDER_REPLICATE);
        sum += cv::norm(response(off_border), cv::NORM_L2SQR);
    }
    return sum;
}

const cv::Mat kSobelX = (cv::Mat_<double>(3, 3) << 1, 0, -1, 2, 0, -2, 1, 0, -1);
const cv::Mat kSobelY = (cv::Mat_<double>(3, 3) << 1, 2, 1, 0, 0, 0, -1, -2, -1);
const cv::Mat kLaplacian = (cv::Mat_<double>(3, 3) << 0, 1, 0, 1, -4, 1, 0, 1, 0);

TEST(WindowMeasuresAgainstOpenCV, TenengradAndLaplacianMatchFilter2D) {
    unsigned seed = 50;
    for (const ImageSize size : {ImageSize{3, 3}, ImageSize{34, 34}, ImageSize{35, 35},
                                 ImageSize{97, 13}, ImageSize{1388, 1040}}) {
        SCOPED_TRACE(testing::Message() << size.width << " x " << size.height);
        const std::vector<unsigned char> bytes = random_bytes(size, ++seed);
        const std::vector<double> values = normalised(bytes);

        const double tenengrad = sum_of_squared_filter_responses(values, size, {kSobelX, kSobelY});
        EXPECT_NEAR(funcion_TEN_GPU_uchar(bytes.data(), size.width, size.height, kHostThreads),
                    tenengrad, 1e-12 * tenengrad);

        const double laplacian = sum_of_squared_filter_responses(values, size, {kLaplacian});
        EXPECT_NEAR(funcion_LAP_GPU_uchar(bytes.data(), size.width, size.height, kHostThreads),
                    laplacian, 1e-12 * laplacian);
    }
}

}  // namespace
