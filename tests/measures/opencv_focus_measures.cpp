#include "opencv_focus_measures.h"

#include <opencv2/imgproc.hpp>

namespace {

cv::Mat scaled_to_unit(const cv::Mat& bytes) {
    cv::Mat values;
    bytes.convertTo(values, CV_64F, 1.0 / 255.0);
    return values;
}

// The pixels whose 3 x 3 window lies inside the image: the filters' border handling never counts.
cv::Rect off_border(const cv::Mat& image) { return {1, 1, image.cols - 2, image.rows - 2}; }

}  // namespace

double opencv_vollath_f4(const cv::Mat& bytes) {
    const cv::Mat values = scaled_to_unit(bytes);
    const int rows = values.rows;
    // Whole row ranges of a continuous matrix are continuous: dot() runs over them in one pass.
    const double one_row_apart = values.rowRange(0, rows - 1).dot(values.rowRange(1, rows));
    const double two_rows_apart = values.rowRange(0, rows - 2).dot(values.rowRange(2, rows));
    return one_row_apart - two_rows_apart;
}

double opencv_mdct(const cv::Mat& bytes) {
    // The upper rows' left-minus-right minus the lower rows' left-minus-right.
    static const cv::Mat sign_pattern = (cv::Mat_<double>(4, 4) << 1, 1, -1, -1,  //
                                         1, 1, -1, -1,                            //
                                         -1, -1, 1, 1,                            //
                                         -1, -1, 1, 1);
    cv::Mat window_sums;
    // Anchor (0, 0): the response at (x, y) is the window whose top-left corner is (x, y).
    cv::filter2D(scaled_to_unit(bytes), window_sums, CV_64F, sign_pattern, cv::Point(0, 0));
    // The tool counts window corners x < width - 4 and y < height - 4.
    const cv::Rect corners(0, 0, bytes.cols - 4, bytes.rows - 4);
    return cv::norm(window_sums(corners), cv::NORM_L2SQR);
}

double opencv_tenengrad(const cv::Mat& bytes) {
    const cv::Mat values = scaled_to_unit(bytes);
    cv::Mat gradient_x;
    cv::Mat gradient_y;
    cv::Sobel(values, gradient_x, CV_64F, 1, 0, 3);
    cv::Sobel(values, gradient_y, CV_64F, 0, 1, 3);
    const cv::Rect inner = off_border(values);
    return cv::norm(gradient_x(inner), cv::NORM_L2SQR) +
           cv::norm(gradient_y(inner), cv::NORM_L2SQR);
}

double opencv_laplacian(const cv::Mat& bytes) {
    const cv::Mat values = scaled_to_unit(bytes);
    cv::Mat laplacian;
    cv::Laplacian(values, laplacian, CV_64F);  // aperture 1: the four-neighbour stencil
    return cv::norm(laplacian(off_border(values)), cv::NORM_L2SQR);
}

double opencv_brenner(const cv::Mat& bytes) {
    if (bytes.rows < 3) return 0.0;
    const cv::Mat values = scaled_to_unit(bytes);
    const cv::Mat difference =
        values.rowRange(2, values.rows) - values.rowRange(0, values.rows - 2);
    return cv::norm(difference, cv::NORM_L2SQR);
}

double opencv_sum_modified_laplacian(const cv::Mat& bytes) {
    const cv::Mat values = scaled_to_unit(bytes);
    const cv::Mat across = (cv::Mat_<double>(1, 3) << -1, 2, -1);
    cv::Mat second_x;
    cv::Mat second_y;
    cv::filter2D(values, second_x, CV_64F, across);
    cv::filter2D(values, second_y, CV_64F, across.t());
    const cv::Rect inner = off_border(values);
    return cv::norm(second_x(inner), cv::NORM_L1) + cv::norm(second_y(inner), cv::NORM_L1);
}

double opencv_gray_variance(const cv::Mat& bytes) {
    cv::Scalar mean, deviation;
    cv::meanStdDev(scaled_to_unit(bytes), mean, deviation);
    return deviation[0] * deviation[0];
}

double opencv_normalized_variance(const cv::Mat& bytes) {
    cv::Scalar mean, deviation;
    cv::meanStdDev(scaled_to_unit(bytes), mean, deviation);
    return mean[0] == 0.0 ? 0.0 : deviation[0] * deviation[0] / mean[0];
}

double opencv_vollath_f5(const cv::Mat& bytes) {
    if (bytes.rows < 2) return 0.0;
    const cv::Mat values = scaled_to_unit(bytes);
    const double products =
        values.rowRange(0, values.rows - 1).dot(values.rowRange(1, values.rows));
    const double mean = cv::mean(values)[0];
    return products - static_cast<double>(values.total()) * mean * mean;
}

double opencv_tenengrad_variance(const cv::Mat& bytes) {
    if (bytes.rows < 3 || bytes.cols < 3) return 0.0;
    cv::Mat gx;
    cv::Mat gy;
    cv::Sobel(scaled_to_unit(bytes), gx, CV_64F, 1, 0);
    cv::Sobel(scaled_to_unit(bytes), gy, CV_64F, 0, 1);
    const cv::Rect inner = off_border(bytes);
    const cv::Mat terms = gx(inner).mul(gx(inner)) + gy(inner).mul(gy(inner));
    cv::Scalar mean, deviation;
    cv::meanStdDev(terms, mean, deviation);
    return deviation[0] * deviation[0];
}
