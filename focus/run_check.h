// The one check of a run's configuration, for every front end: each wording its own messages from
// what is wrong and with which setting.
#pragma once

#include <optional>
#include <string>

#include "run_config.h"

namespace bestfocus {

// The largest team size accepted at each of the three levels. No machine needs more threads in one
// team, and the runtime creates the product of the three levels: larger counts only exhaust the
// process or memory limits inside OpenMP, where no message can be given.
constexpr int kMostThreadsPerTeam = 1024;

// The setting a problem lies in.
enum class RunSetting {
    methods,
    first_folder,
    last_folder,
    images_per_stack,
    threads_ext2,
    threads_ext1,
    threads,
    folder_names,
    image_names,
    region,
};

struct RunProblem {
    RunSetting setting;
    // What is wrong, in English, to follow the setting's name and value as the front end gives
    // them: "must lie in 1..1024, not 0", "is not a name format: ...", "names folder 1000 with
    // more than 255 bytes, a file name's limit", "3 x 3 is smaller than the window of MDCT, which
    // needs at least 5 x 5 pixels".
    std::string detail;
    // A number setting: the range it must lie in.
    int minimum = 0;
    int maximum = 0;
};

// The first problem of the configuration, in the order of RunSetting; nothing when it can run:
// methods known and none twice, a first folder of 0 or more (folder numbers have no sign), a last
// folder no lower than the first (a range that runs backwards
// holds no folder: a run of it could only write an empty report), images per stack 0 (all) or more,
// every team size in 1..kMostThreadsPerTeam, name formats that name every number of the run within
// a file name's limit, and a region at x, y >= 0 of width and height >= 1, no smaller than any
// method's window.
std::optional<RunProblem> run_config_problem(const RunConfig& config);

}  // namespace bestfocus
