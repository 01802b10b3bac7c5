// bestfocus._core: the core library's entry points for the Python package, which checks the
// arguments and gives them their documented names and types (bestfocus/__init__.py).
#include <nanobind/nanobind.h>
#include <nanobind/stl/optional.h>
#include <nanobind/stl/string.h>
#include <nanobind/stl/tuple.h>
#include <nanobind/stl/vector.h>

#include "disk_stacks.h"
#include "engine_choice.h"
#include "in_memory.h"
#include "measure_registry.h"
#include "missing_file_error.h"
#include "run_check.h"
#include "tile_maps.h"

namespace nb = nanobind;
using namespace bestfocus;
using namespace bestfocus::python;

namespace {

std::vector<std::tuple<int, std::string, std::string>> registry() {
    std::vector<std::tuple<int, std::string, std::string>> rows;
    for (const MeasureEntry& measure : measure_registry()) {
        rows.emplace_back(measure.code, measure.short_name, measure.long_name);
    }
    return rows;
}

}  // namespace

NB_MODULE(_core, module) {
    module.doc() = "The bestfocus core library; use the bestfocus package, which checks arguments.";
    nb::register_exception_translator([](const std::exception_ptr& thrown, void*) {
        try {
            std::rethrow_exception(thrown);
        } catch (const MissingFileError& error) {
            PyErr_SetString(PyExc_FileNotFoundError, error.what());
        }
    });
    module.attr("version") = BESTFOCUS_VERSION;
    module.attr("cuda_build") = is_cuda_build();
    module.def("measures", &registry, "(code, name, title) of every measure.");
    module.def("measure_arrays", &measure_arrays, nb::arg("images"), nb::arg("methods"),
               nb::arg("engine"), nb::arg("threads"),
               "(methods, images) float64 scores of checked 2-D uint8/uint16 arrays.");
    module.def("picks", &picks_of_scores, nb::arg("scores"), nb::arg("methods"),
               "(method, best, fractional_best, flags) per row of a score matrix.");
    module.def(
        "run",
        [](const std::string& base_folder, int first, int last, int images,
           const std::vector<int>& methods, const std::string& folder_names,
           const std::string& image_names, const std::optional<Region>& region,
           const std::string& engine, const Teams& teams, const std::string& channel, int time,
           int series) {
            return run_scan({base_folder, first, last, images, methods, folder_names, image_names,
                             region, engine, teams, PlaneChoice{channel, time, series}});
        },
        nb::arg("base_folder"), nb::arg("first"), nb::arg("last"), nb::arg("images"),
        nb::arg("methods"), nb::arg("folder_names"), nb::arg("image_names"),
        nb::arg("region").none(), nb::arg("engine"), nb::arg("teams"), nb::arg("channel"),
        nb::arg("time"), nb::arg("series"),
        "(folder, picks, scores) of every folder, as the executable's scan finds them.");
    module.def("run_defaults", &run_defaults,
               "{folder_names, image_names, teams}: what run() takes when not told.");
    module.def("region_problem", &region_problem, nb::arg("region"), nb::arg("methods"),
               "What is wrong with a region (x, y, width, height) under the methods, or None.");
    module.attr("most_threads_per_team") = kMostThreadsPerTeam;
    module.def("tile_map", &tile_focus_map, nb::arg("images"), nb::arg("method"), nb::arg("rows"),
               nb::arg("columns"), nb::arg("engine"), nb::arg("threads"),
               "(scores, tile scores, best, fractional best, flags) of checked arrays.");
    module.def("tile_problem", &tile_problem, nb::arg("rows"), nb::arg("columns"), nb::arg("width"),
               nb::arg("height"), nb::arg("method"),
               "What keeps the tiles from splitting the image for the method, or None.");
    module.def("pixel_maps", &pixel_focus_maps, nb::arg("images"), nb::arg("method"),
               nb::arg("window"), nb::arg("engine"), nb::arg("threads"),
               "(depth, confidence, all-in-focus image) of checked arrays.");
    module.def(
        "read_stack",
        [](const std::string& path, int images, const std::string& image_names,
           const std::string& channel, int time, int series) {
            return read_stack(path, images, image_names, PlaneChoice{channel, time, series});
        },
        nb::arg("path"), nb::arg("images"), nb::arg("image_names"), nb::arg("channel"),
        nb::arg("time"), nb::arg("series"),
        "The stack at path as an (images, rows, columns) array: a microscope file's Z planes.");
    module.def("stack_info", &stack_info, nb::arg("path"), nb::arg("series"),
               "What a stack file's description says of its dimensions, as a dict.");
}
