// Stacks the caller holds in memory: measured in place on the core's engines, and picked as the
// executable's summary picks.
#pragma once

#include <nanobind/ndarray.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "curve_flags.h"
#include "engine.h"
#include "folder_scores.h"
#include "measure_views.h"

namespace bestfocus::python {

using ReadOnlyArray = nanobind::ndarray<nanobind::ro, nanobind::device::cpu>;
using ScoreArray = nanobind::ndarray<nanobind::numpy, double, nanobind::ndim<2>>;
using ReadOnlyScores =
    nanobind::ndarray<nanobind::ro, double, nanobind::ndim<2>, nanobind::device::cpu>;

// The array as the engines' strided view.
StridedView strided_view(const ReadOnlyArray& image);

// Measures views of checked arrays on the engine of that name, as many threads at once as
// `threads` leads to, with the GIL released and the team sizes at their defaults (run_teams.h):
// `measure` gets the engine. Raises when the engine cannot run here, when the threads are more than
// the process can create, and for the first image the engine could not measure.
using HeldViewsMeasure = std::function<std::vector<Measurement>(const Engine& engine)>;
std::vector<Measurement> measure_held_views(const std::vector<StridedView>& views,
                                            const std::string& engine_name, int threads,
                                            const HeldViewsMeasure& measure);

// Raises for the first image the engine could not measure.
void check_measured(const std::vector<Measurement>& measurements,
                    const std::vector<StridedView>& views);

// The names of the flags, in the order files list them.
nanobind::tuple flag_names(FlagSet flags);

// (method, best, fractional_best, flag names) of one method of a folder.
using PickTuple = std::tuple<int, int, double, nanobind::tuple>;

// Each method on each 2-D uint8 or uint16 array (the caller has checked the types and shapes) on
// the engine of that name, the images spread over `threads` threads with the GIL released, the
// team sizes at their defaults (run_teams.h): (methods, images) float64.
ScoreArray measure_arrays(const std::vector<ReadOnlyArray>& images, const std::vector<int>& methods,
                          const std::string& engine_name, int threads);

// The picks of a (methods, images) score matrix, the methods in the same order.
std::vector<PickTuple> picks_of_scores(const ReadOnlyScores& scores,
                                       const std::vector<int>& methods);

// The picks of a folder the scan measured.
std::vector<PickTuple> picks_of_folder(const FolderScores& folder);

// The folder's scores as a (methods, images) float64 array.
ScoreArray score_matrix(const FolderScores& folder);

}  // namespace bestfocus::python
