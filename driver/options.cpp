#include "options.h"

#include <getopt.h>

namespace {

enum OptionCode { kEngine = 1000, kScores, kSummary, kHtml, kProgress, kQuiet, kVersion, kHelp };

const option kLongOptions[] = {
    {"engine", required_argument, nullptr, kEngine},
    {"scores", required_argument, nullptr, kScores},
    {"summary", required_argument, nullptr, kSummary},
    {"html", required_argument, nullptr, kHtml},
    {"progress", no_argument, nullptr, kProgress},
    {"quiet", no_argument, nullptr, kQuiet},
    {"version", no_argument, nullptr, kVersion},
    {"help", no_argument, nullptr, kHelp},
    {nullptr, 0, nullptr, 0},
};

ParsedOptions refused(std::string why) {
    ParsedOptions parsed;
    parsed.action = OptionsAction::refuse;
    parsed.refusal = std::move(why);
    return parsed;
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

ParsedOptions parse_options(int argc, const char* const argv[]) {
    ParsedOptions parsed;
    // '+': stop at the first positional argument, so that negative folder numbers after it are not
    // taken for options; ':': a missing value is reported apart from an unknown option.
    const char* const short_options = "+:h";
    opterr = 0;  // our own messages, not getopt's
    optind = 0;  // starts a fresh scan, also when called again
    // getopt_long does not permute argv with '+'; it only needs the non-const type.
    char* const* arguments = const_cast<char* const*>(argv);
    for (int code;
         (code = getopt_long(argc, arguments, short_options, kLongOptions, nullptr)) != -1;) {
        switch (code) {
            case kEngine:
                if (!parse_engine_name(optarg, &parsed.options.engine)) {
                    return refused("unknown engine \"" + std::string(optarg) +
                                   "\" (--engine takes auto, cuda or cpu)");
                }
                break;
            case kScores: parsed.options.scores_file = optarg; break;
            case kSummary: parsed.options.summary_file = optarg; break;
            case kHtml: parsed.options.html_file = optarg; break;
            case kProgress: parsed.options.progress = true; break;
            case kQuiet: parsed.options.quiet = true; break;
            case kVersion: parsed.action = OptionsAction::show_version; break;
            case 'h':
            case kHelp: parsed.action = OptionsAction::show_help; break;
            case ':': return refused("option " + std::string(argv[optind - 1]) + " needs a value");
            default: return refused("unknown option " + std::string(argv[optind - 1]));
        }
    }
    parsed.first_positional = optind;
    return parsed;
}

std::string options_usage() {
    return "  --engine=auto|cuda|cpu  what measures the images: cuda runs the CUDA kernels (on "
           "the\n"
           "                          GPU in the CUDA build, on our CPU runtime otherwise), cpu "
           "the\n"
           "                          native CPU engine, auto (default) the GPU when one is "
           "usable,\n"
           "                          else the CPU engine\n"
           "  --scores=FILE           every image's score, CSV\n"
           "  --summary=FILE          each folder's pick, focus between images and warnings, CSV\n"
           "  --html=FILE             a page of every stack's focus curves and chosen image\n"
           "  --progress              progress lines on standard error even when it is no "
           "terminal\n"
           "  --quiet                 nothing on standard error but errors\n"
           "  --version               version, build, engine and OpenCV\n"
           "  -h, --help              this text\n";
}
