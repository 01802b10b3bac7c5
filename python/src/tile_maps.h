// Where focus lies in a stack held in memory: its tiles' picks, and its maps at every pixel, from
// the same core code as the executable's files.
#pragma once

#include <nanobind/nanobind.h>
#include <nanobind/ndarray.h>

#include <optional>
#include <string>
#include <vector>

#include "in_memory.h"

namespace bestfocus::python {

// Why rows x columns tiles cannot split a width x height image for the method, in the command
// line's words without its "bestfocus: " (tile_size_check.h); nothing when they can.
std::optional<std::string> tile_problem(int rows, int columns, int width, int height, int method);

// The stack's 2-D uint8/uint16 images (checked by the caller: one shape and type, tiles no smaller
// than the method's window) measured whole and as rows x columns tiles with one method, as
// measure_held_views measures them: (whole scores, tile scores (rows, columns,
// images) float64, best (rows, columns) int32, fractional best (rows, columns) float64, flags
// (rows of tuples of flag-name tuples)).
nanobind::tuple tile_focus_map(const std::vector<ReadOnlyArray>& images, int method, int rows,
                               int columns, const std::string& engine_name, int threads);

// The stack's maps at every pixel (pixel_maps.h) under the method in windows `window` pixels on a
// side (odd, checked by the caller), the whole images measured as measure_held_views measures
// them for the stack's own focus: (depth (height, width) float32, confidence (height, width)
// float32, all-in-focus image of the images' type).
nanobind::tuple pixel_focus_maps(const std::vector<ReadOnlyArray>& images, int method, int window,
                                 const std::string& engine_name, int threads);

}  // namespace bestfocus::python
