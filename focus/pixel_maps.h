// A folder's maps at every pixel under its first method: each image of the stack (its measured
// area) read once, in order, its per-pixel responses (window_responses.h) added to the running
// state (pixel_focus.h) and dropped; then the depth filled where it is not confident
// (depth_fill.h).
#pragma once

#include <memory>
#include <opencv2/core.hpp>
#include <string>
#include <vector>

#include "depth_map.h"
#include "folder_scores.h"
#include "image_view.h"

namespace bestfocus {

// The window's side when none is asked for, and the largest one asked for.
constexpr int kDefaultFocusWindow = 9;
constexpr int kLargestFocusWindow = 255;

struct PixelMaps {
    DepthMap depth;       // 1-based image numbers, filled where not confident
    DepthMap confidence;  // 0..1
    cv::Mat focused;      // CV_8UC1 or CV_16UC1, as the stack
};

// The maps of a stack whose images come one at a time, in order.
class PixelMapsMaker {
  public:
    // Under method `code` (of the measure list) for `images` images of width x height pixels of
    // that depth, in windows `window` pixels on a side (odd); `pick` is the stack's picked image.
    PixelMapsMaker(int code, int width, int height, PixelDepth depth, int window, int images,
                   int pick);
    ~PixelMapsMaker();
    // Image `image`, from 1 up, at the size and depth given.
    void add(int image, const ImageView& pixels);
    // Once every image has come; `when_none` is the depth where no pixel is confident (the
    // stack's own focus between images).
    PixelMaps finish(float when_none);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// The maps of a scanned folder (its images and area known) in windows `window` pixels on a side
// (odd). False, with *problem set, when an image cannot be read again as it was measured.
bool read_pixel_maps(const FolderScores& folder, int window, PixelMaps* maps, std::string* problem);

}  // namespace bestfocus
