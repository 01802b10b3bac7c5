// Stacks on disk, read by the executable's own run and readers.
#pragma once

#include <nanobind/ndarray.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "in_memory.h"
#include "run_config.h"

namespace bestfocus::python {

// What the module's run() gives each folder: its number, picks and (methods, images) scores.
using FolderTuple = std::tuple<int, std::vector<PickTuple>, ScoreArray>;
using Region = std::tuple<int, int, int, int>;  // x, y, width, height
using Teams = std::tuple<int, int, int>;        // N_threads_ext2, N_threads_ext1, N_threads

struct RunArguments {
    std::string base_folder;
    int first = 0;
    int last = 0;
    int images = 0;
    std::vector<int> methods;
    std::string folder_names;
    std::string image_names;
    std::optional<Region> region;
    std::string engine;
    Teams teams;
    PlaneChoice planes = {};  // a microscope file's channel, time point and series
};

// The executable's run without its files (run_stacks): ValueError for a configuration it refuses
// or an image it cannot measure, FileNotFoundError for a missing input, RuntimeError for an engine
// that cannot run here.
std::vector<FolderTuple> run_scan(const RunArguments& arguments);

// The settings run() leaves at the core's defaults: folder_names, image_names, teams.
nanobind::dict run_defaults();

// The problem of a region of images measured under the methods, as run() words it; none when
// there is none.
std::optional<std::string> region_problem(const Region& region, const std::vector<int>& methods);

// The stack in the folder or multi-page file at `path`, at its depth: (images, rows, columns).
// A microscope file's Z planes of the chosen channel, time point and series.
nanobind::ndarray<nanobind::numpy> read_stack(const std::string& path, int images,
                                              const std::string& image_names,
                                              const PlaneChoice& planes);

// What the file at `path` says of its dimensions (series `series`, from 1): kind ("OME-XML",
// "ImageJ", or None for a file without such a description), series, size_z, size_c, size_t,
// dimension_order, channel_names, physical_size_x/_y/_z in micrometres (None where not given).
nanobind::dict stack_info(const std::string& path, int series);

}  // namespace bestfocus::python
