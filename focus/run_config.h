// What one run does: the settings the command line gives, in one value.
#pragma once

#include <string>
#include <vector>

#include "stack_layout.h"

// Which implementation measures the images.
enum class EngineChoice {
    automatic,  // the GPU when the CUDA build finds a usable device, otherwise the CPU engine
    cuda,       // the kernels: on the GPU in the CUDA build, on the CPU runtime in the CPU build
    cpu,        // the CPU engine
};

// What one run does. Members left unset by the command line keep these defaults.
struct RunConfig {
    std::vector<int> methods = {1};  // method codes in the order given: one report each
    std::string base_folder;         // prefix of every folder path, used unchanged
    int first_folder = 11;
    int last_folder = 11;       // inclusive
    int images_per_stack = 20;  // 0: every image there is (see input_check.h)
    StackLayout layout;         // from the options
    // The team sizes are the globals of team_sizes.h.
};
