#include "options.h"

#include <getopt.h>

#include <cerrno>
#include <cstdlib>
#include <optional>

#include "name_format.h"
#include "pixel_maps.h"

namespace bestfocus {

namespace {

enum OptionCode {
    kEngine = 1000,
    kScores,
    kSummary,
    kHtml,
    kExportBest,
    kExportBestLink,
    kBestStack,
    kTileScores,
    kTileSummary,
    kDepthMap,
    kAllInFocus,
    kConfidenceMap,
    kFocusWindow,
    kDepthUnits,
    kProgress,
    kQuiet,
    kVersion,
    kCheck,
    kHelp
};
// The options of the stacks' layout (stack_layout.h), a microscope file's planes among them.
enum LayoutOptionCode {
    kFolderNames = 2000,
    kImageNames,
    kRegion,
    kTiles,
    kChannel,
    kTime,
    kSeries
};

const option kLongOptions[] = {
    {"engine", required_argument, nullptr, kEngine},
    {"scores", required_argument, nullptr, kScores},
    {"summary", required_argument, nullptr, kSummary},
    {"html", required_argument, nullptr, kHtml},
    {"export-best", required_argument, nullptr, kExportBest},
    {"export-best-link", no_argument, nullptr, kExportBestLink},
    {"best-stack", required_argument, nullptr, kBestStack},
    {"tile-scores", required_argument, nullptr, kTileScores},
    {"tile-summary", required_argument, nullptr, kTileSummary},
    {"depth-map", required_argument, nullptr, kDepthMap},
    {"all-in-focus", required_argument, nullptr, kAllInFocus},
    {"confidence-map", required_argument, nullptr, kConfidenceMap},
    {"focus-window", required_argument, nullptr, kFocusWindow},
    {"progress", no_argument, nullptr, kProgress},
    {"quiet", no_argument, nullptr, kQuiet},
    {"version", no_argument, nullptr, kVersion},
    {"check", no_argument, nullptr, kCheck},
    {"help", no_argument, nullptr, kHelp},
    {"folder-names", required_argument, nullptr, kFolderNames},
    {"image-names", required_argument, nullptr, kImageNames},
    {"roi", required_argument, nullptr, kRegion},
    {"tiles", required_argument, nullptr, kTiles},
    {"channel", required_argument, nullptr, kChannel},
    {"time", required_argument, nullptr, kTime},
    {"series", required_argument, nullptr, kSeries},
    {"depth-units", required_argument, nullptr, kDepthUnits},
    {nullptr, 0, nullptr, 0},
};

const char* option_name(int code) {
    for (const option& known : kLongOptions) {
        if (known.val == code) return known.name;
    }
    return "";
}

ParsedOptions refused(std::string why) {
    ParsedOptions parsed;
    parsed.action = OptionsAction::refuse;
    parsed.refusal = std::move(why);
    return parsed;
}

std::string* output_file(int code, OutputFiles* outputs) {
    switch (code) {
        case kScores: return &outputs->scores;
        case kSummary: return &outputs->summary;
        case kHtml: return &outputs->html;
        case kExportBest: return &outputs->export_best;
        case kTileScores: return &outputs->tile_scores;
        case kTileSummary: return &outputs->tile_summary;
        case kDepthMap: return &outputs->depth_map;
        case kAllInFocus: return &outputs->all_in_focus;
        case kConfidenceMap: return &outputs->confidence_map;
        default: return &outputs->best_stack;
    }
}

// A name format reaches snprintf only once checked (name_format.h).
bool read_name_format(const char* option, const char* format, std::string* into,
                      std::string* refusal) {
    if (const std::optional<std::string> problem = name_format_problem(format)) {
        *refusal = "bad " + std::string(option) + " \"" + format + "\": " + *problem +
                   "; it takes one %d, %i or %u (flags and width allowed, as in %03d) and %% for "
                   "a percent sign";
        return false;
    }
    *into = format;
    return true;
}

// A time point or series: a decimal count from 1, digits only.
bool read_plane_number(const char* text, int* into) {
    const std::string digits = text;
    if (digits.empty() || digits.size() > 9 ||
        digits.find_first_not_of("0123456789") != std::string::npos || std::stoi(digits) < 1) {
        return false;
    }
    *into = std::stoi(digits);
    return true;
}

// The window's side: an odd integer from 1 to kLargestFocusWindow, digits only; 0 when it is not.
int parse_focus_window(const char* text) {
    if (*text < '0' || *text > '9') return 0;
    char* end = nullptr;
    errno = 0;
    const long side = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || side < 1 || side > kLargestFocusWindow || side % 2 == 0) {
        return 0;
    }
    return static_cast<int>(side);
}

// The options of the stacks' layout and of a microscope file's planes: the refusal of a bad value.
std::optional<std::string> read_layout_option(int code, const char* value, RunConfig* config) {
    switch (code) {
        case kFolderNames:
        case kImageNames: {
            const bool folders = code == kFolderNames;
            std::string refusal;
            if (!read_name_format(
                    folders ? "--folder-names" : "--image-names", value,
                    folders ? &config->layout.folder_names : &config->layout.image_names,
                    &refusal)) {
                return refusal;
            }
            return std::nullopt;
        }
        case kRegion:
            config->layout.region = parse_region(value);
            if (!config->layout.region) {
                return "bad --roi \"" + std::string(value) +
                       "\": it takes X,Y,W,H, four integers with X, Y >= 0 and W, "
                       "H >= 1";
            }
            return std::nullopt;
        case kTiles:
            config->tiles = parse_tile_grid(value);
            if (!config->tiles) {
                return "bad --tiles \"" + std::string(value) +
                       "\": it takes RxC, rows by columns of tiles, two integers "
                       "from 1 to " +
                       std::to_string(kMostTilesPerSide) + " such as 8x8";
            }
            return std::nullopt;
        case kChannel: {
            const std::string channel = value;
            const bool digits = channel.find_first_not_of("0123456789") == std::string::npos;
            int number = 0;
            if (channel.empty() || (digits && !read_plane_number(value, &number))) {
                return "bad --channel \"" + std::string(value) +
                       "\": it takes a channel's number from 1 or its name";
            }
            config->layout.planes.channel = channel;
            return std::nullopt;
        }
        case kTime:
        case kSeries:
            if (!read_plane_number(value, code == kTime ? &config->layout.planes.time
                                                        : &config->layout.planes.series)) {
                return "bad --" + std::string(option_name(code)) + " \"" + std::string(value) +
                       "\": it takes a number from 1";
            }
            return std::nullopt;
    }
    return std::nullopt;
}

// Options that need another one: the refusal of a command line that lacks it.
std::optional<std::string> combination_refusal(RunConfig& config) {
    if (config.outputs.export_best_link && config.outputs.export_best.empty()) {
        return "option --export-best-link needs --export-best=DIR";
    }
    if (!config.tiles) {
        for (const int code : {kTileScores, kTileSummary}) {
            if (!output_file(code, &config.outputs)->empty()) {
                return "option --" + std::string(option_name(code)) + " needs --tiles=RxC";
            }
        }
    }
    if (config.outputs.depth_in_micrometres && config.outputs.depth_map.empty()) {
        return "option --depth-units=um needs --depth-map=DIR";
    }
    return std::nullopt;
}

// "-scores=x.csv" is read as the letters -s, -c...: name the whole argument, and when it is a long
// option written with one dash, say so.
std::string unknown_option(const std::string& argument) {
    std::string refusal = "unknown option " + argument;
    if (argument.size() > 2 && argument[0] == '-' && argument[1] != '-') {
        const std::string name = argument.substr(1, argument.find('=') - 1);
        for (const option& known : kLongOptions) {
            if (known.name != nullptr && name == known.name) {
                return refusal + " (long options begin with two dashes: -" + argument + ")";
            }
        }
    }
    return refusal;
}

}  // namespace

ParsedOptions parse_options(int argc, const char* const argv[], RunConfig* config) {
    ParsedOptions parsed;
    // '+': stop at the first positional argument; ':': a missing value is told from an unknown one.
    const char* const short_options = "+:h";
    opterr = 0;  // our own messages, not getopt's
    optind = 0;  // starts a fresh scan, also when called again
    // getopt_long does not permute argv with '+'; it only needs the non-const type.
    char* const* arguments = const_cast<char* const*>(argv);
    for (int code, element = 1;
         (code = getopt_long(argc, arguments, short_options, kLongOptions, nullptr)) != -1;
         element = optind) {
        // argv[element] is the argument getopt has just read: for an error inside a group of
        // single-dash letters ("-sx"), optind has not moved past it yet.
        switch (code) {
            case kEngine:
                if (!parse_engine_name(optarg, &config->engine)) {
                    return refused("unknown engine \"" + std::string(optarg) +
                                   "\" (--engine takes auto, cuda or cpu)");
                }
                break;
            case kScores:
            case kSummary:
            case kHtml:
            case kExportBest:
            case kBestStack:
            case kTileScores:
            case kTileSummary:
            case kDepthMap:
            case kAllInFocus:
            case kConfidenceMap:
                if (*optarg == '\0') {
                    return refused("option --" + std::string(option_name(code)) +
                                   " needs a file name, not an empty value");
                }
                *output_file(code, &config->outputs) = optarg;
                break;
            case kFocusWindow:
                config->focus_window = parse_focus_window(optarg);
                if (config->focus_window == 0) {
                    return refused("bad --focus-window \"" + std::string(optarg) +
                                   "\": it takes the window's side in pixels, an odd integer "
                                   "from 1 to " +
                                   std::to_string(kLargestFocusWindow));
                }
                break;
            case kExportBestLink: config->outputs.export_best_link = true; break;
            case kProgress: config->progress = true; break;
            case kQuiet: config->quiet = true; break;
            case kVersion: parsed.action = OptionsAction::show_version; break;
            case kCheck: parsed.check_only = true; break;
            case kFolderNames:
            case kImageNames:
            case kRegion:
            case kTiles:
            case kChannel:
            case kTime:
            case kSeries:
                if (const std::optional<std::string> refusal =
                        read_layout_option(code, optarg, config)) {
                    return refused(*refusal);
                }
                break;
            case kDepthUnits:
                if (std::string(optarg) != "um" && std::string(optarg) != "image") {
                    return refused("bad --depth-units \"" + std::string(optarg) +
                                   "\": it takes image (image numbers, the default) or um");
                }
                config->outputs.depth_in_micrometres = std::string(optarg) == "um";
                break;
            case 'h':
            case kHelp: parsed.action = OptionsAction::show_help; return parsed;
            case ':': return refused("option " + std::string(argv[element]) + " needs a value");
            default: return refused(unknown_option(argv[element]));
        }
    }
    // --version answers whatever options come with it (the job array's script asks it so).
    if (parsed.action == OptionsAction::run) {
        if (const std::optional<std::string> refusal = combination_refusal(*config)) {
            return refused(*refusal);
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
           "  --html=FILE             a page of every stack's focus curves and picked images\n"
           "  --export-best=DIR       every folder's pick under every method as a file in DIR,\n"
           "                          <folder>_<method>.<ext>; a page of a multi-page file as a\n"
           "                          TIFF of its own\n"
           "  --export-best-link      hard links in DIR instead of copies, where DIR is on the\n"
           "                          file system of the images\n"
           "  --best-stack=FILE.tif   the first method's picks as one multi-page TIFF, in folder\n"
           "                          order\n"
           "  --progress              progress lines on standard error even when it is no "
           "terminal\n"
           "  --quiet                 nothing on standard error but errors\n"
           "  --folder-names=FORMAT   names of the stacks under the base folder, printf-style "
           "with\n"
           "                          one %d (default %03d); a name that is a file, not a folder,\n"
           "                          is a multi-page stack (TIFF): its pages are the images\n"
           "  --image-names=FORMAT    names of the images in a stack folder, one %d (default\n"
           "                          %02d.bmp); any format OpenCV reads, 8- or 16-bit\n"
           "  --roi=X,Y,W,H           measure only that rectangle of every image\n"
           "  --channel=N|NAME        in a microscope file (OME-TIFF, ImageJ hyperstack), the\n"
           "                          channel focus is measured on, by number from 1 or name\n"
           "                          (default 1); the images are its Z planes\n"
           "  --time=N                the time point there (default 1)\n"
           "  --series=N              the series (image, stage position) there (default 1)\n"
           "  --tiles=RxC             also measure every image (or region) as R rows by C\n"
           "                          columns of tiles, each picked like a whole stack\n"
           "  --tile-scores=FILE      with --tiles: every tile's score, CSV\n"
           "  --tile-summary=FILE     with --tiles: every tile's pick, focus between images and\n"
           "                          warnings, CSV\n"
           "  --depth-map=DIR         where focus lies at every pixel, as image numbers,\n"
           "                          <folder>_depth.tif (32-bit float) in DIR\n"
           "  --all-in-focus=DIR      every pixel from the image sharpest there,\n"
           "                          <folder>_focused.tif in DIR\n"
           "  --confidence-map=DIR    how clearly focus is found at every pixel, 0 to 1,\n"
           "                          <folder>_confidence.tif (32-bit float) in DIR\n"
           "  --focus-window=N        the maps' window, N x N pixels, N odd (default 9)\n"
           "  --depth-units=um        with --depth-map: Z positions in micrometres, for stacks\n"
           "                          whose microscope file gives a Z step\n"
           "  --check                 check the whole command line and exit (status 0 when\n"
           "                          it would run, 2 with the refusal), reading no image\n"
           "  --version               version, build, engine and OpenCV\n"
           "  -h, --help              this text\n";
}

}  // namespace bestfocus
