// The all-in-focus image of a stack: each pixel taken from the stack at the depth map's position,
// interpolated linearly between the two nearest images. The images come one at a time, in order,
// and none is kept: a pixel of the result holds the lower image's pixel until the upper image
// comes and is blended in. Nor is the depth map held: a pixel's depth is asked for again where
// blocks of a row take the image that comes. Only the rows some pixel takes from an image need
// come from it, and none from an image no pixel takes.
#pragma once

#include <cstdint>
#include <opencv2/core.hpp>
#include <string>
#include <utility>
#include <vector>

#include "depth_map.h"
#include "folder_scores.h"
#include "image_view.h"

namespace bestfocus {

class AllInFocus {
  public:
    // For a stack of `images` images of the map's size at that depth; the map must outlive this.
    AllInFocus(const DepthRows& depth, int images, PixelDepth pixels);

    // Image number `image`, from 1 up to the count, each once and in order (those no pixel takes
    // may be left out), at the map's size and the depth given. Pixel (x, y) at depth d (clamped to
    // 1..images) is w·p(i) + (1 − w)·p(i + 1), i = floor(d) (images − 1 at the last image),
    // w = 1 − (d − i), as the weights 1 − |d − i| of the two nearest images; rounded to nearest,
    // halves up.
    void add(int image, const ImageView& view) { add_rows(image, view, 0); }

    // Rows first_row up to first_row + rows.height − 1 of image `image`: the rows of an image may
    // come in bands, each row of each image at most once and, row by row, the images in order;
    // rows where needed_rows says the image is not needed may be left out.
    void add_rows(int image, const ImageView& rows, int first_row);

    // The runs of rows [begin, end) where some pixel takes image `image`, top to bottom, among rows
    // from up to (not including) to.
    std::vector<std::pair<int, int>> needed_rows(int image, int from, int to) const;

    // The image once every image is added: CV_8UC1 or CV_16UC1, the map's size.
    const cv::Mat& result() const { return focused_; }

  private:
    template <typename Pixel>
    void blend(int image, const ImageView& rows, int first_row);

    const DepthRows& depth_;
    int images_;
    // Every row in blocks of kBlock columns: the lowest and the highest of the lower images its
    // pixels are blended from, block by block, row after row.
    static constexpr int kBlock = 64;
    int blocks_ = 0;  // a row's
    std::vector<int> lowest_;
    std::vector<int> highest_;
    // The same over every block of a row.
    std::vector<int> row_lowest_;
    std::vector<int> row_highest_;
    std::vector<float> depth_span_;  // a block's depths
    cv::Mat focused_;
};

// A tiled folder's all-in-focus image, its images (the measured area of each) read again one after
// another: where their rows lie stored in the file, only the rows some pixel takes, a band at a
// time, and no image no pixel takes. Empty, with *problem set, when an image cannot be read again
// as it was measured.
cv::Mat read_all_in_focus(const FolderScores& folder, const DepthRows& depth, std::string* problem);

}  // namespace bestfocus
