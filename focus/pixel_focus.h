// Where focus lies at every pixel of a stack, from each image's per-pixel responses
// (window_responses.h) as the images come, one at a time and in order, none kept: per pixel only a
// running state (the best response so far and its image, the responses of the images either side
// of it, the largest response of the others, the least of all, the last response, and the best
// image's pixel).
//
// Once every image has come, for pixel p with best response b at image i (the first such), its
// neighbours' responses l = R(i - 1) and u = R(i + 1) (none at the stack's ends) and the largest
// response of the other images m (0 when there is none) and the least response of all n:
//   depth       i + δ, δ = (l − u) / (2 (l − 2b + u)) from the parabola through the three points,
//               clamped to ±0.5 (0 at the ends, or when the three lie on a line)
//   confidence  (b − m) / b · (b − n) / b, in 0..1 (0 where b is 0): how far the peak stands above
//               the rest of the curve and above its floor; a second peak, a flat curve or noise
//               (whose responses differ by little) give little
//   all-in-focus the pixel of image i, the image whose window is the sharpest there, where the
//               confidence is above kUnsure; elsewhere (no texture, noise, two peaks: where
//               the sharpest window is chance) the pixel of the stack's pick, so that the image is
//               nowhere less sharp than the pick, nor noisier.
#pragma once

#include <cstdint>
#include <opencv2/core.hpp>
#include <vector>

#include "image_view.h"

namespace bestfocus {

class PixelFocus {
  public:
    // `pick`: the stack's picked image, whose pixels the all-in-focus image takes where the
    // confidence is at most kUnsure (depth_fill.h).
    PixelFocus(int width, int height, int images, int pick);

    // Image `image` (from 1, in order): its per-pixel responses (width x height, row by row) and
    // the image itself, for its pixels.
    void add(int image, const float* responses, const ImageView& pixels);

    // Once every image has come: depth and confidence, row by row; the all-in-focus image,
    // CV_8UC1 or CV_16UC1 as the images.
    std::vector<float> depth() const;
    std::vector<float> confidence() const;
    cv::Mat focused() const;

  private:
    int width_;
    int height_;
    int images_;
    int last_image_ = 0;
    PixelDepth pixel_depth_ = PixelDepth::u8;
    std::vector<float> best_;
    std::vector<float> before_;  // the best image's neighbours
    std::vector<float> after_;
    std::vector<float> others_;  // the largest of the other images' responses
    std::vector<float> last_;    // the last image's
    std::vector<float> least_;   // the least of all
    std::vector<std::uint16_t> best_image_;
    std::vector<std::uint16_t> best_pixel_;
    int pick_;
    std::vector<std::uint16_t> pick_pixel_;
};

}  // namespace bestfocus
