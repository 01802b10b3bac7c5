// bestfocus_merge: joins the pieces that the slices of a Slurm job array wrote into a run folder
// (scripts/slurm/bestfocus-array.sbatch) into the report, scores and summary one bestfocus run
// over the whole folder range would have written. The reports go to the working folder, as
// bestfocus writes them; the time line holds the wall time from the first slice's start to the
// last slice's end. Refuses, writing nothing, a run with a folder in no piece, an incomplete
// piece, or a folder in two pieces with different results.
#include <getopt.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "output_paths.h"
#include "replace_file.h"
#include "run_merge.h"
#include "text_numbers.h"

using namespace bestfocus;

namespace {

constexpr int kRefused = 1;
constexpr int kBadCommandLine = 2;

const char kUsage[] =
    "usage: bestfocus_merge [--scores=FILE] [--summary=FILE] [--best-stack=FILE.tif] <run "
    "folder>\n"
    "                       <first folder> <last folder>\n"
    "  Writes the report of each method the run folder holds, for folders <first> to <last>, in\n"
    "  the working folder; --scores, --summary and --best-stack also merge the pieces'\n"
    "  scores.csv, summary.csv and best_stack.tif into FILE.\n"
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
    // ask for, in this order.
    std::vector<std::string> asked;
    for (const auto& [option, value] :
         {std::pair<const char*, const std::string*>{"--scores=", &request.scores_file},
          {"--summary=", &request.summary_file},
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
    for (const std::string& piece_file : result.pieces_files) {
        paths.push_back({"the piece's file " + piece_file, piece_file});
    }
    if (const auto collision = first_collision(paths)) {
        return refuse_command_line(paths[collision->first].what + " and " +
                                   paths[collision->second].what + " are the same file");
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    enum { kScores = 1, kSummary, kBestStack, kVersion, kHelp };
    const option options[] = {{"scores", required_argument, nullptr, kScores},
                              {"summary", required_argument, nullptr, kSummary},
                              {"best-stack", required_argument, nullptr, kBestStack},
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
                if (*optarg == '\0') {
                    return refuse_command_line("option " + std::string(argv[optind - 1]) +
                                               " needs a file name, not an empty value");
                }
                (choice == kScores    ? request.scores_file
                 : choice == kSummary ? request.summary_file
                                      : request.best_stack_file) = optarg;
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
    if (!parse_whole_int(argv[optind + 1], request.first_folder) ||
        !parse_whole_int(argv[optind + 2], request.last_folder)) {
        return refuse_command_line("the folders must be whole numbers");
    }

    const MergeResult result = merge_run(request);
    if (!result.merged) {
        std::fprintf(stderr, "bestfocus_merge: refused: %s\n", result.refusal.c_str());
        return kRefused;
    }
    if (const int status = check_outputs(result, request)) {
        return status;
    }
    std::string failed_path;
    std::string reason;
    if (!replace_files(result.outputs, &failed_path, &reason)) {
        std::fprintf(stderr, "bestfocus_merge: cannot write %s: %s\n", failed_path.c_str(),
                     reason.c_str());
        return kRefused;
    }
    std::fprintf(
        stderr, "bestfocus_merge: folders %d to %d from %d pieces, %f seconds of wall time\n",
        request.first_folder, request.last_folder, result.pieces_used, result.wall_seconds);
    return 0;
}
