// Stacks on disk, read by the executable's own scan and readers.
#pragma once

#include <nanobind/ndarray.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "in_memory.h"

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
    int engine_choice = 0;
    Teams teams;
};

// The executable's run without its files: the same checks, input check and scan.
std::vector<FolderTuple> run_scan(const RunArguments& arguments);

// The stack in the folder or multi-page file at `path`, at its depth: (images, rows, columns).
nanobind::ndarray<nanobind::numpy> read_stack(const std::string& path, int images,
                                              const std::string& image_names);

}  // namespace bestfocus::python
