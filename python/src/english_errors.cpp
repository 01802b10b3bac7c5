#include "english_errors.h"

#include <sstream>
#include <stdexcept>

namespace bestfocus::python {

namespace {

// The lines without the executable's name before them and without the last line break.
std::string module_lines(const std::string& lines) {
    const std::string executable = "bestfocus: ";
    std::istringstream stream(lines);
    std::string text;
    for (std::string line; std::getline(stream, line);) {
        if (line.compare(0, executable.size(), executable) == 0) line.erase(0, executable.size());
        text += (text.empty() ? "" : "\n") + line;
    }
    return text;
}

}  // namespace

std::string english_text(const RunFailure& failure) {
    return module_lines(english_line(failure) + failure.diagnostic);
}

std::string problem_text(const RunProblem& problem, const RunConfig& config) {
    const auto quoted = [](const std::string& text) { return "\"" + text + "\""; };
    switch (problem.setting) {
        case RunSetting::methods: return "methods " + problem.detail;
        case RunSetting::first_folder: return "first " + problem.detail;
        case RunSetting::last_folder: return "last " + problem.detail;
        case RunSetting::images_per_stack: return "images " + problem.detail;
        case RunSetting::threads_ext2: return "teams[0] (N_threads_ext2) " + problem.detail;
        case RunSetting::threads_ext1: return "teams[1] (N_threads_ext1) " + problem.detail;
        case RunSetting::threads: return "teams[2] (N_threads) " + problem.detail;
        case RunSetting::folder_names:
            return "folder_names " + quoted(config.layout.folder_names) + " " + problem.detail;
        case RunSetting::image_names:
            return "image_names " + quoted(config.layout.image_names) + " " + problem.detail;
        case RunSetting::region: return "roi " + problem.detail;
    }
    return problem.detail;
}

EngineChoice engine_by_name(const std::string& name) {
    EngineChoice engine = EngineChoice::automatic;
    if (!parse_engine_name(name, &engine)) {
        throw std::invalid_argument("unknown engine \"" + name +
                                    "\"; the engines are \"auto\", \"cuda\", \"cpu\"");
    }
    return engine;
}

void check_engine_possible(const EngineDecision& engine) {
    if (!engine.possible) {
        throw std::runtime_error("engine=\"cuda\" needs a CUDA device, but " + engine.reason);
    }
}

}  // namespace bestfocus::python
