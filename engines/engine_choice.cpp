#include "engine_choice.h"

#include "cuda_device.h"

namespace bestfocus {

namespace {

// What the runtime says of its devices, in its own words.
std::string device_report(const CudaDevices& devices) {
    if (devices.error_name != nullptr) {
        return std::string("the CUDA runtime reports ") + devices.error_name + ": " +
               devices.error_text;
    }
    return "the CUDA runtime reports " + std::to_string(devices.count) +
           (devices.count == 1 ? " device" : " devices");
}

}  // namespace

bool parse_engine_name(const std::string& name, EngineChoice* engine) {
    for (const EngineChoice choice :
         {EngineChoice::automatic, EngineChoice::cuda, EngineChoice::cpu}) {
        if (name == engine_name(choice)) {
            *engine = choice;
            return true;
        }
    }
    return false;
}

const char* engine_name(EngineChoice engine) {
    switch (engine) {
        case EngineChoice::automatic: return "auto";
        case EngineChoice::cuda: return "cuda";
        case EngineChoice::cpu: return "cpu";
    }
    return "auto";
}

bool is_cuda_build() {
#ifdef BESTFOCUS_CUDA_BUILD
    return true;
#else
    return false;
#endif
}

EngineDecision choose_engine(EngineChoice requested) {
    EngineDecision decision;
    if (requested == EngineChoice::cpu) {
        decision.reason = "asked for";
        return decision;
    }
    if (!is_cuda_build()) {
        if (requested == EngineChoice::cuda) {
            decision.engine = EngineKind::kernels;  // on the CPU runtime, which is always there
            decision.reason = "asked for";
        } else {
            decision.reason = "this build has no GPU support";
        }
        return decision;
    }
    const CudaDevices devices = query_cuda_devices();
    decision.reason = device_report(devices);
    if (devices.count > 0) {
        decision.engine = EngineKind::kernels;
    } else if (requested == EngineChoice::cuda) {
        decision.possible = false;
    } else {
        decision.fell_back = true;
    }
    return decision;
}

std::string engine_description(EngineKind engine) {
    if (engine == EngineKind::cpu) {
        return "CPU engine";
    }
    return is_cuda_build() ? "CUDA kernels on the GPU" : "CUDA kernels on the CPU runtime";
}

}  // namespace bestfocus
