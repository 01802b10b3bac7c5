// An image measured a band of rows at a time, as its rows are read: each band adds the exact sums
// of the terms whose rows it completes. Integer addition is associative, so the values are the
// bits the CPU engine gives on the whole image, whatever the bands.
#pragma once

#include <climits>
#include <vector>

#include "engine.h"
#include "image_view.h"
#include "measure_registry.h"
#include "pixel_traits.h"

namespace bestfocus {

class BandedMeasure {
  public:
    // Every method's measure (codes of the measure list, each with a measure) on a width x height
    // image of that depth.
    BandedMeasure(const std::vector<int>& methods, int width, int height, PixelDepth depth);

    // Rows each band repeats from the one before it: the most rows below its own that a term
    // reads.
    int overlap_rows() const { return overlap_rows_; }

    // `band` holds image rows first_row <= y < first_row + band.height, its top row first through
    // its stride, at the image's width and depth. Bands come top to bottom or bottom to top, each
    // overlapping the one before by overlap_rows(), the first holding the image's first or last
    // row.
    void add(const ImageView& band, int first_row);

    // Only term rows first <= y < end are added from here on: the image's part that this measure
    // takes, when a team of threads shares one image a part each.
    void only_term_rows(int first, int end) {
        first_term_row_ = first;
        end_term_row_ = end;
    }

    // Adds the sums another measure of the same methods and image added, over term rows of its own.
    void add_totals(const BandedMeasure& part);

    // Every method's value once the bands have covered the image.
    Measurement result() const;

  private:
    struct MethodSums {
        CpuRowSums sums;
        TermRows terms;
        ExactSums total;
        // The term rows added so far: first_done <= y < end_done.
        int first_done = 0;
        int end_done = 0;
    };

    std::vector<MethodSums> methods_;
    long long pixel_count_;
    int height_;
    PixelDepth depth_;
    int overlap_rows_ = 0;
    int first_term_row_ = 0;
    int end_term_row_ = INT_MAX;
};

}  // namespace bestfocus
