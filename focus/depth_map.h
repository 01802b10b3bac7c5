// A map of one value per pixel (depth, confidence) and a way to read it a stretch of a row at a
// time, as the files and pictures that show maps take them.
#pragma once

#include <vector>

namespace bestfocus {

struct DepthMap {
    int width = 0;
    int height = 0;
    std::vector<float> values;  // row by row, top row first
};

// A map a stretch of a row at a time.
class DepthRows {
  public:
    DepthRows(int width, int height) : width_(width), height_(height) {}
    virtual ~DepthRows() = default;
    int width() const { return width_; }
    int height() const { return height_; }
    // The values of row y from column begin up to (not including) end, into values[0 ..].
    virtual void span(int y, int begin, int end, float* values) const = 0;

  private:
    int width_;
    int height_;
};

// A map held whole, which must outlive this.
class HeldDepthRows final : public DepthRows {
  public:
    explicit HeldDepthRows(const DepthMap& map) : DepthRows(map.width, map.height), map_(map) {}
    void span(int y, int begin, int end, float* values) const override;

  private:
    const DepthMap& map_;
};

}  // namespace bestfocus
