#include "output_check.h"

#include <sys/stat.h>

#include <unordered_map>

#include "best_exports.h"
#include "focus_map_files.h"
#include "measure_registry.h"
#include "output_paths.h"
#include "report_file.h"

namespace bestfocus {
namespace {

std::vector<std::string> method_short_names(const std::vector<int>& methods) {
    std::vector<std::string> names;
    for (const int code : methods) {
        names.push_back(find_measure(code)->short_name);
    }
    return names;
}

// An own name replaces what lies at it, a link to a folder too; other outputs are followed.
bool is_folder(const RunOutput& output) {
    struct stat status {};
    const int found =
        output.own_name ? lstat(output.path.c_str(), &status) : stat(output.path.c_str(), &status);
    return found == 0 && S_ISDIR(status.st_mode);
}

// Every input file of the run: each image of a folder stack, each multi-page file.
std::vector<std::string> input_files(const RunConfig& config,
                                     const std::vector<StackSource>& stacks) {
    std::vector<std::string> files;
    for (const StackSource& stack : stacks) {
        if (stack.multi_page) {
            files.push_back(stack.path);
            continue;
        }
        for (int image = 1; image <= stack.images; ++image) {
            files.push_back(image_location(stack, config.layout, image).file);
        }
    }
    return files;
}

}  // namespace

std::vector<RunOutput> run_outputs(const RunConfig& config,
                                   const std::vector<StackSource>& stacks) {
    std::vector<RunOutput> outputs;
    for (const int code : config.methods) {
        const std::string name = report_file_name(config.first_folder, config.last_folder, code);
        outputs.push_back({"the report " + name, name, true});
    }
    const OutputFiles& files = config.outputs;
    const std::pair<const char*, const std::string*> asked[] = {
        {"--scores=", &files.scores},
        {"--summary=", &files.summary},
        {"--html=", &files.html},
        {"--best-stack=", &files.best_stack},
        {"--tile-scores=", &files.tile_scores},
        {"--tile-summary=", &files.tile_summary}};
    for (const auto& [option, path] : asked) {
        if (!path->empty()) {
            outputs.push_back({option + *path, *path});
        }
    }
    if (!files.export_best.empty()) {
        const std::vector<std::string> methods = method_short_names(config.methods);
        for (const StackSource& stack : stacks) {
            for (const std::string& method : methods) {
                const std::string path =
                    files.export_best + "/" +
                    best_export_name(stack.path, stack.multi_page, config.layout.image_names,
                                     method.c_str());
                outputs.push_back({"the export of folder " + std::to_string(stack.folder) + "'s " +
                                       method + " pick, " + path,
                                   path, false, true});
            }
        }
    }
    for (const StackSource& stack : stacks) {
        const std::string folder = std::to_string(stack.folder);
        if (!files.depth_map.empty()) {
            const std::string path =
                files.depth_map + "/" + depth_map_name(stack.path, stack.multi_page);
            outputs.push_back(
                {"the depth map of folder " + folder + ", " + path, path, false, true});
        }
        if (!files.all_in_focus.empty()) {
            const std::string path =
                files.all_in_focus + "/" + all_in_focus_name(stack.path, stack.multi_page);
            outputs.push_back(
                {"the all-in-focus image of folder " + folder + ", " + path, path, false, true});
        }
        if (!files.confidence_map.empty()) {
            const std::string path =
                files.confidence_map + "/" + confidence_map_name(stack.path, stack.multi_page);
            outputs.push_back(
                {"the confidence map of folder " + folder + ", " + path, path, false, true});
        }
    }
    return outputs;
}

std::string output_refusal(const RunConfig& config, const std::vector<StackSource>& stacks) {
    const std::pair<const char*, const std::string*> folders[] = {
        {"--export-best=", &config.outputs.export_best},
        {"--depth-map=", &config.outputs.depth_map},
        {"--all-in-focus=", &config.outputs.all_in_focus},
        {"--confidence-map=", &config.outputs.confidence_map}};
    for (const auto& [option, folder] : folders) {
        struct stat status {};
        if (!folder->empty() && stat(folder->c_str(), &status) == 0 && !S_ISDIR(status.st_mode)) {
            return std::string("\nbestfocus: ") + option + *folder + " is not a folder";
        }
    }
    for (const StackSource& stack : stacks) {
        if (config.outputs.depth_in_micrometres &&
            !(stack.microscope && has_z_positions(*stack.microscope))) {
            return "\nbestfocus: --depth-units=um needs every stack's Z step, and " + stack.path +
                   " gives none (no PhysicalSizeZ, PositionZ or spacing)";
        }
    }
    const std::vector<RunOutput> outputs = run_outputs(config, stacks);
    std::vector<NamedPath> named;
    for (const RunOutput& output : outputs) {
        // A report that cannot be written ends the run after the scan, with the tool's own
        // message; every other output is named on the command line.
        if (!output.is_report && is_folder(output)) {
            return "\nbestfocus: " + output.what + " is a folder";
        }
        named.push_back({output.what, output.path, output.own_name});
    }
    // Exported picks share one folder, which may not exist yet: equal names are one file.
    std::unordered_map<std::string, std::size_t> first_with_path;
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const auto [earlier, added] = first_with_path.emplace(outputs[i].path, i);
        if (!added) {
            return "\nbestfocus: " + outputs[earlier->second].what + " and " + outputs[i].what +
                   " are the same file";
        }
    }
    if (const auto collision = first_collision(named)) {
        return "\nbestfocus: " + named[collision->first].what + " and " +
               named[collision->second].what + " are the same file";
    }
    // Inputs may share files among themselves; only an output among them is refused. An export
    // that is a hard link to an input (an earlier --export-best-link) is replaced, not written
    // through: only its name among the inputs' is refused.
    std::unordered_map<std::string, std::size_t> output_of_identity;
    for (std::size_t i = 0; i < named.size(); ++i) {
        for (const std::string& identity : path_identities(named[i])) {
            output_of_identity.emplace(identity, i);
        }
    }
    for (const std::string& input : input_files(config, stacks)) {
        for (const std::string& identity : path_identities({"", input})) {
            const auto found = output_of_identity.find(identity);
            if (found != output_of_identity.end()) {
                return "\nbestfocus: " + named[found->second].what + " and the input image " +
                       input + " are the same file";
            }
        }
    }
    return "";
}

}  // namespace bestfocus
