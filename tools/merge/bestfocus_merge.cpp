// bestfocus_merge: joins the pieces that the slices of a Slurm job array wrote into a run folder
// (scripts/slurm/bestfocus-array.sbatch) into the report, scores and summary one bestfocus run
// over the whole folder range would have written. The reports go to the working folder, as
// bestfocus writes them; the time line holds the wall time from the first slice's start to the
// last slice's end. Refuses, writing nothing, a run with a folder in no piece, an incomplete
// piece, or a folder in two pieces with different results.
#include <getopt.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "name_format.h"
#include "output_paths.h"
#include "replace_file.h"
#include "run_merge.h"
#include "text_numbers.h"

using namespace bestfocus;

namespace {

constexpr int kRefused = 1;
constexpr int kBadCommandLine = 2;

const char kUsage[] =
    "usage: bestfocus_merge [--scores=FILE] [--summary=FILE] [--best-stack=FILE.tif]\n"
    "                       [--tile-scores=FILE] [--tile-summary=FILE] [--depth-map=DIR]\n"
    "                       [--all-in-focus=DIR] [--confidence-map=DIR]\n"
    "                       [--folder-names=FORMAT] <run folder>\n"
    "                       <first folder> <last folder>\n"
    "  Writes the report of each method the run folder holds, for folders <first> to <last>, in\n"
    "  the working folder; --scores, --summary, --best-stack, --tile-scores and --tile-summary\n"
    "  also merge the pieces' scores.csv, summary.csv, best_stack.tif, tile_scores.csv and\n"
    "  tile_summary.csv into FILE; --depth-map, --all-in-focus and --confidence-map gather the\n"
    "  pieces' depth maps, all-in-focus images and confidence maps into DIR (created when "
    "missing), named after the folders as\n"
    "  --folder-names names them (as given to bestfocus, default %03d).\n"
    "  --version  the version; -h, --help  this text\n";

int refuse_command_line(const std::string& problem) {
    std::fprintf(stderr, "bestfocus_merge: %s\n%s", problem.c_str(), kUsage);
    return kBadCommandLine;
}

// Every output must be a file that can be written, and none may name the same file as another
// output or as a file of the pieces: checked before anything is written. Returns the exit status
// of the first problem, 0 when there is none.
int check_outputs(const MergeResult& result, const MergeRequest& request) {
    // Each output named as the user gave it: the reports come first, then the files the options
    // ask for, in this order (run_merge's).
    std::vector<std::string> asked;
    for (const auto& [option, value] :
         {std::pair<const char*, const std::string*>{"--scores=", &request.scores_file},
          {"--summary=", &request.summary_file},
          {"--tile-scores=", &request.tile_scores_file},
          {"--tile-summary=", &request.tile_summary_file},
          {"--best-stack=", &request.best_stack_file}}) {
        if (!value->empty()) asked.push_back(option + *value);
    }
    const std::size_t reports = result.outputs.size() - asked.size();
    std::vector<NamedPath> paths;
    for (std::size_t i = 0; i < result.outputs.size(); ++i) {
        const std::string& path = result.outputs[i].path;
        paths.push_back({i < reports ? "the report " + path : asked[i - reports], path});
    }
    for (const NamedPath& output : paths) {
        if (const std::optional<std::string> problem = output_problem(output.path)) {
            if (*problem == kIsAFolder) {
                return refuse_command_line(output.what + " " + kIsAFolder);
            }
            std::fprintf(stderr, "bestfocus_merge: cannot write %s: %s\n", output.path.c_str(),
                         problem->c_str());
            return kRefused;
        }
    }
    for (const MapFile& map : result.maps) {
        paths.push_back({"the output " + map.destination, map.destination, true});
    }
    for (const std::string& piece_file : result.pieces_files) {
        paths.push_back({"the piece's file " + piece_file, piece_file});
    }
    if (const auto collision = first_collision(paths)) {
        return refuse_command_line(paths[collision->first].what + " and " +
                                   paths[collision->second].what + " are the same file");
    }
    return 0;
}

enum Option {
    kScores = 1,
    kSummary,
    kBestStack,
    kTileScores,
    kTileSummary,
    kDepthMap,
    kAllInFocus,
    kConfidenceMap,
    kFolderNames,
    kVersion,
    kHelp
};

// Where the value of an option that names a file, a folder or a format goes.
std::string* asked_value(MergeRequest& request, int option) {
    switch (option) {
        case kScores: return &request.scores_file;
        case kSummary: return &request.summary_file;
        case kBestStack: return &request.best_stack_file;
        case kTileScores: return &request.tile_scores_file;
        case kTileSummary: return &request.tile_summary_file;
        case kDepthMap: return &request.depth_map_folder;
        case kAllInFocus: return &request.all_in_focus_folder;
        case kConfidenceMap: return &request.confidence_map_folder;
        default: return &request.folder_names;
    }
}

// Refuses a --folder-names format that cannot name the range's folders; 0 when it can.
int check_folder_names(const MergeRequest& request) {
    if (const auto problem = name_format_problem(request.folder_names)) {
        return refuse_command_line("bad --folder-names \"" + request.folder_names +
                                   "\": " + *problem);
    }
    if (request.first_folder <= request.last_folder) {
        if (const auto number = number_with_too_long_name(
                request.folder_names, request.first_folder, request.last_folder)) {
            return refuse_command_line("--folder-names=" + request.folder_names + " names folder " +
                                       std::to_string(*number) + " with more than 255 bytes");
        }
    }
    return 0;
}

// The merged maps, reports and tables in place; 0 when all are written.
int write_merge(const MergeResult& result, const MergeRequest& request) {
    for (const std::string* folder : {&request.depth_map_folder, &request.all_in_focus_folder,
                                      &request.confidence_map_folder}) {
        if (!folder->empty() && mkdir(folder->c_str(), 0777) != 0 && errno != EEXIST) {
            std::fprintf(stderr, "bestfocus_merge: cannot create %s: %s\n", folder->c_str(),
                         std::strerror(errno));
            return kRefused;
        }
    }
    if (const int status = check_outputs(result, request)) {
        return status;
    }
    // The maps first, one at a time (a run's maps need not fit in memory together), each checked
    // again as it is copied (a map changed since stops the merge); then the reports and tables.
    // Each is written whole or not at all, and every one is attempted: each that fails is named.
    bool all_written = true;
    std::string reason;
    for (const MapFile& map : result.maps) {
        std::string bytes;
        if (!read_map_file(map, &bytes, &reason)) {
            std::fprintf(stderr, "bestfocus_merge: refused: %s\n", reason.c_str());
            return kRefused;
        }
        // A name of the merge's own in the folder asked for: replaced, never followed.
        if (!replace_file(map.destination, bytes, &reason, true)) {
            std::fprintf(stderr, "bestfocus_merge: cannot write %s: %s\n", map.destination.c_str(),
                         reason.c_str());
            all_written = false;
        }
    }
    for (const FileText& output : result.outputs) {
        std::string failed_path;
        if (!replace_files({output}, &failed_path, &reason)) {
            std::fprintf(stderr, "bestfocus_merge: cannot write %s: %s\n", failed_path.c_str(),
                         reason.c_str());
            all_written = false;
        }
    }
    if (!all_written) {
        return kRefused;
    }
    return 0;
}

}  // namespace

int run_main(int argc, char** argv) {
    const option options[] = {{"scores", required_argument, nullptr, kScores},
                              {"summary", required_argument, nullptr, kSummary},
                              {"best-stack", required_argument, nullptr, kBestStack},
                              {"tile-scores", required_argument, nullptr, kTileScores},
                              {"tile-summary", required_argument, nullptr, kTileSummary},
                              {"depth-map", required_argument, nullptr, kDepthMap},
                              {"all-in-focus", required_argument, nullptr, kAllInFocus},
                              {"confidence-map", required_argument, nullptr, kConfidenceMap},
                              {"folder-names", required_argument, nullptr, kFolderNames},
                              {"version", no_argument, nullptr, kVersion},
                              {"help", no_argument, nullptr, kHelp},
                              {nullptr, 0, nullptr, 0}};
    bool show_version = false;
    MergeRequest request;
    opterr = 0;  // our message names the bad option
    for (int choice; (choice = getopt_long(argc, argv, "+h", options, nullptr)) != -1;) {
        switch (choice) {
            case kScores:
            case kSummary:
            case kBestStack:
            case kTileScores:
            case kTileSummary:
            case kDepthMap:
            case kAllInFocus:
            case kConfidenceMap:
            case kFolderNames:
                if (*optarg == '\0') {
                    return refuse_command_line("option " + std::string(argv[optind - 1]) +
                                               " needs a file name, not an empty value");
                }
                *asked_value(request, choice) = optarg;
                break;
            case kVersion: show_version = true; break;
            case kHelp:
            case 'h': std::fputs(kUsage, stdout); return 0;
            default:
                return refuse_command_line("unknown option or missing value: " +
                                           std::string(argv[optind - 1]));
        }
    }
    // As bestfocus: --version answers once the options are read, whatever follows them.
    if (show_version) {
        std::fputs("bestfocus_merge " BESTFOCUS_VERSION "\n", stdout);
        return 0;
    }
    if (argc - optind != 3) {
        return refuse_command_line("expected a run folder, a first and a last folder");
    }
    request.run_folder = argv[optind];
    if (!parse_digits_int(argv[optind + 1], request.first_folder) ||
        !parse_digits_int(argv[optind + 2], request.last_folder)) {
        return refuse_command_line("the folders must be whole numbers, digits only");
    }

    if (const int status = check_folder_names(request)) {
        return status;
    }
    const MergeResult result = merge_run(request);
    if (!result.merged) {
        std::fprintf(stderr, "bestfocus_merge: refused: %s\n", result.refusal.c_str());
        return kRefused;
    }
    if (const int status = write_merge(result, request)) {
        return status;
    }
    std::fprintf(
        stderr, "bestfocus_merge: folders %d to %d from %d pieces, %f seconds of wall time\n",
        request.first_folder, request.last_folder, result.pieces_used, result.wall_seconds);
    return 0;
}

// An allocation that fails anywhere ends the merge here, with a word and status 1, never by
// std::terminate: every output is written whole by rename or not at all.
int main(int argc, char** argv) {
    try {
        return run_main(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fputs(
            "bestfocus_merge: not enough memory to go on (an allocation failed); the "
            "outputs not yet written are absent\n",
            stderr);
        return 1;
    }
}
