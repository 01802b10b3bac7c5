// A folder's focus curves drawn as inline SVG: one line per measure, relative to its best score.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "folder_scores.h"

namespace bestfocus {

// The colour of the n-th measure's line (0-based, in the order the methods were asked for);
// distinct for the first twelve, which covers every measure the tool has.
const char* curve_colour(std::size_t method_index);

// The n-th measure's dash pattern as an SVG stroke-dasharray: "" (solid) for the first six, so
// that together with its colour every one of the first twelve lines is told apart.
const char* curve_dashes(std::size_t method_index);

// The scores over the best one, so that every curve peaks at 1. Scores that are all zero or
// below (Vollath F4 can be negative) have no such ratio: they are scaled from their lowest (0)
// to the best (1) instead; all equal, they are all 1.
std::vector<double> relative_scores(const MethodScores& method);

// An <svg> element: the relative scores of every method of the folder as a polyline over the image
// numbers, the pick as a dot, the focus estimated between images (fractional_best) as a dashed
// vertical line, in the method's curve_colour; the x axis labelled with image numbers, the y axis
// with relative scores ("score / best"); a line under the plot, in the method's colour, states what
// a curve plots instead when none of its scores is positive. method_names label the lines
// (tooltips), in the folder's method order.
std::string focus_curve_svg(const FolderScores& folder,
                            const std::vector<std::string>& method_names);

}  // namespace bestfocus
