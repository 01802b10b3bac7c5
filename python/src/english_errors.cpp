#include "english_errors.h"

#include <map>
#include <regex>
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

// The keyword argument of each option a message may name; others are left as they are.
const std::map<std::string, std::string>& keyword_of_option() {
    static const std::map<std::string, std::string> keywords = {
        {"tiles", "tiles"},
        {"roi", "roi"},
        {"focus-window", "window"},
        {"folder-names", "folder_names"},
        {"image-names", "image_names"},
        {"series", "series"},
        {"channel", "channel"},
        {"time", "time"},
        {"engine", "engine"},
    };
    return keywords;
}

}  // namespace

std::string keyword_names(const std::string& text) {
    // An option with its value in the command line's form (a placeholder such as N or RxC is
    // dropped: the keyword says what is meant); "--tiles=2x3" takes the tuple's form.
    static const std::regex option("--([a-z][a-z-]*)(=(([0-9]+)x([0-9]+)|[A-Za-z0-9]+))?");
    std::string result;
    auto last = text.cbegin();
    for (std::sregex_iterator match(text.begin(), text.end(), option), end; match != end; ++match) {
        const std::smatch& found = *match;
        result.append(last, found[0].first);
        last = found[0].second;
        const auto keyword = keyword_of_option().find(found[1].str());
        if (keyword == keyword_of_option().end()) {
            result += found[0].str();
        } else if (found[4].matched) {
            result += keyword->second + "=(" + found[4].str() + ", " + found[5].str() + ")";
        } else {
            const bool placeholder =
                found[3].str().find_first_of("0123456789") == std::string::npos;
            result += keyword->second + "=" + (placeholder ? "" : found[3].str());
        }
    }
    result.append(last, text.cend());
    return result;
}

std::string english_text(const RunFailure& failure) {
    return keyword_names(module_lines(english_line(failure) + failure.diagnostic));
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
