// Which implementation measures the images: the kernels (on a GPU in the CUDA build, on our CPU
// runtime in the CPU build) or the CPU engine.
#pragma once

#include <string>

#include "engine.h"

namespace bestfocus {

// Which implementation the command line asks for.
enum class EngineChoice {
    automatic,  // the GPU when the CUDA build finds a usable device, otherwise the CPU engine
    cuda,       // the kernels: on the GPU in the CUDA build, on the CPU runtime in the CPU build
    cpu,        // the CPU engine
};

struct EngineDecision {
    bool possible = true;  // false: the engine asked for cannot run here (see reason)
    EngineKind engine = EngineKind::cpu;
    bool fell_back = false;  // auto in the CUDA build found no device: worth a notice
    std::string reason;      // why this engine, or why the one asked for cannot run
};

// Whether the name is an engine's ("auto", "cuda", "cpu"); sets *engine when it is.
bool parse_engine_name(const std::string& name, EngineChoice* engine);
const char* engine_name(EngineChoice engine);

// Whether this executable was built by nvcc for a real GPU.
bool is_cuda_build();

// auto: the kernels on the GPU when the CUDA build finds a device, else the CPU engine; cuda: the
// kernels, which in the CUDA build need a device; cpu: the CPU engine.
EngineDecision choose_engine(EngineChoice requested);

// What measures the images, in a few words: "CUDA kernels on the GPU", "CPU engine", ...
std::string engine_description(EngineKind engine);

}  // namespace bestfocus
