// Focus at every pixel of one image: a measure's own terms summed over a square window around each
// pixel. A term lies at the centre of its footprint (its anchor plus half the narrowest and the
// lowest image that has a term, rounded down); the response of pixel (x, y) for a window of radius
// r is the measure's score of the terms whose centres lie within r columns and r rows of it (fewer
// at the borders), from their exact integer sums: the total over the terms' count for a measure of
// one sum (its mean term, in integer pixel steps), the measure's own statistic of the window for
// the others (the variance measures' local variance). Nothing here names a measure: the terms come
// from each measure's CPU row sums: one term row at a time, computed once.
#pragma once

#include <vector>

#include "exact_score.h"
#include "image_view.h"
#include "measure_registry.h"

namespace bestfocus {

class WindowResponses {
  public:
    // The measure of method `code` (one of the measure list) on width x height images of that
    // depth, in windows of (2 radius + 1)^2 pixels.
    WindowResponses(int code, int width, int height, PixelDepth depth, int radius);

    // Every pixel's response on the image (at the size and depth given), row by row into
    // responses[0 .. width * height).
    void respond(const ImageView& image, float* responses);

    // Terms a row holds and rows of terms: none on images smaller than the measure's window.
    int anchors_x() const { return anchors_x_; }
    int anchors_y() const { return anchors_y_; }

  private:
    ExactSums term_at(const ImageView& image, int x, int y) const;
    void load_terms(const ImageView& image, int y, ExactSums* row) const;
    void load_terms(const ImageView& image, int y, long long* row) const;
    void add(ExactSums& to, const ExactSums& sums) const;
    void take(ExactSums& from, const ExactSums& sums) const;
    static void add(long long& to, long long sum) { to += sum; }
    static void take(long long& from, long long sum) { from -= sum; }
    float response(const ExactSums& sums, long long count) const;
    float response(long long sum, long long count) const;
    template <class Sums>
    void slide(const ImageView& image, float* responses, std::vector<Sums>& ring,
               std::vector<Sums>& columns);

    CpuRowSums sums_;
    int width_;
    int height_;
    PixelDepth depth_;
    int radius_;
    int window_width_ = 1;  // the columns a term reads
    int anchors_x_ = 0;
    int anchors_y_ = 0;
    int centre_x_ = 0;  // a term's centre from its anchor
    int centre_y_ = 0;
    int sums_used_ = 1;  // ExactSums' slots the measure fills
    long long max_pixel_;
    // The window's term rows (a ring) and each anchor column's sum over them: in 64 bits for a
    // single-sum measure whose window of terms stays below 2^53, else as exact sums.
    bool small_sums_ = false;
    std::vector<long long> small_rows_;
    std::vector<long long> small_columns_;
    std::vector<ExactSums> row_terms_;
    std::vector<ExactSums> columns_;
};

}  // namespace bestfocus
