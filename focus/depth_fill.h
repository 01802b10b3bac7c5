// The depth where its confidence is low, from the confident depths around, edge-aware: the
// confidence-weighted depth and the weights themselves are smoothed alike by a recursive filter
// whose reach shrinks where the image changes (the domain transform's recursive filter: along each
// row and column, both ways, a pixel keeps a^(1 + (σs / σr)·max(0, |ΔI| − 0.02)) of its neighbour's
// value, a from the pass's σ, three passes of σ halving, σs a quarter of the image's larger side,
// σr a tenth of the pixels' range; changes up to 2 % of the range are taken for noise, which must
// not stop it), so a depth does not cross an edge of the image into an object of another depth.
// Their ratio is the fill; a pixel keeps its own depth in proportion to its confidence between
// kUnsure and kConfident, the fill for the rest. Linear in the pixels.
#pragma once

#include <opencv2/core.hpp>
#include <vector>

namespace bestfocus {

// From this confidence up a pixel keeps its own depth; up to kUnsure it takes the fill, between
// the two a share of each in proportion. Only pixels above kUnsure weigh in the fill.
constexpr float kConfident = 0.25f;
constexpr float kUnsure = 0.1f;

// The filled depth of a width x height map (row by row) from its confidence and the image guiding
// it (CV_8UC1 or CV_16UC1, that size). Where no pixel is confident, or none reaches a pixel, it
// takes `when_none` (the stack's own focus between images).
std::vector<float> filled_depth(const std::vector<float>& depth,
                                const std::vector<float>& confidence, const cv::Mat& guide,
                                float when_none);

}  // namespace bestfocus
