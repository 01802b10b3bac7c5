// The focus measures as a user would write them with OpenCV's own filters, on the image
// scaled to [0, 1] (byte / 255) in double precision. Each returns the same quantity as the
// tool's measure of the same name, up to the order of the additions.
#pragma once

#include <opencv2/core.hpp>

// Every function takes an 8-bit single-channel image.
double opencv_vollath_f4(const cv::Mat& bytes);
double opencv_mdct(const cv::Mat& bytes);
double opencv_tenengrad(const cv::Mat& bytes);
double opencv_laplacian(const cv::Mat& bytes);
double opencv_brenner(const cv::Mat& bytes);
double opencv_sum_modified_laplacian(const cv::Mat& bytes);
double opencv_gray_variance(const cv::Mat& bytes);
double opencv_normalized_variance(const cv::Mat& bytes);
double opencv_vollath_f5(const cv::Mat& bytes);
double opencv_tenengrad_variance(const cv::Mat& bytes);
