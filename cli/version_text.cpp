#include "version_text.h"

#include <opencv2/core/version.hpp>

#include "engine_choice.h"

namespace bestfocus {

namespace {

std::string build_description() {
#ifdef BESTFOCUS_CUDA_BUILD
    return "CUDA, kernels compiled for compute capabilities " BESTFOCUS_CUDA_ARCHITECTURES;
#else
    return "CPU (the CUDA kernels run on our CPU runtime)";
#endif
}

}  // namespace

std::string version_text() {
    const EngineDecision automatic = choose_engine(EngineChoice::automatic);
    return "bestfocus " BESTFOCUS_VERSION "\nbuild: " + build_description() +
           "\nengine auto: " + engine_description(automatic.engine) + " (" + automatic.reason +
           ")\nOpenCV " CV_VERSION "\n";
}

}  // namespace bestfocus
