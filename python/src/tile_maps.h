// Where focus lies in a stack held in memory: its tiles' picks and depth map, and the all-in-focus
// image, from the same core code as the executable's tile files.
#pragma once

#include <nanobind/nanobind.h>
#include <nanobind/ndarray.h>

#include <optional>
#include <string>
#include <vector>

#include "in_memory.h"

namespace bestfocus::python {

using ReadOnlyDepth =
    nanobind::ndarray<nanobind::ro, float, nanobind::ndim<2>, nanobind::device::cpu>;

// Why rows x columns tiles cannot split a width x height image for the method, in the command
// line's words without its "bestfocus: " (tile_size_check.h); nothing when they can.
std::optional<std::string> tile_problem(int rows, int columns, int width, int height, int method);

// The stack's 2-D uint8/uint16 images (checked by the caller: one shape and type, tiles no smaller
// than the method's window) measured whole and as rows x columns tiles with one method, as
// measure_held_views measures them: (whole scores, tile scores (rows, columns,
// images) float64, best (rows, columns) int32, fractional best (rows, columns) float64, flags
// (rows of tuples of flag-name tuples), depth (height, width) float32).
nanobind::tuple tile_focus_map(const std::vector<ReadOnlyArray>& images, int method, int rows,
                               int columns, const std::string& engine_name, int threads);

// The all-in-focus image of the stack (checked as above) at the depth map (checked: the images'
// shape), an array of the images' type.
nanobind::object all_in_focus_image(const std::vector<ReadOnlyArray>& images,
                                    const ReadOnlyDepth& depth);

}  // namespace bestfocus::python
