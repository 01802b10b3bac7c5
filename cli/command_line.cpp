#include "command_line.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "measure_registry.h"
#include "name_format.h"
#include "team_sizes.h"
#include "tile_size_check.h"

namespace bestfocus {

namespace {

// A number read from one argument, with what it must lie in.
struct NumberArgument {
    int position;      // among the positional arguments, from 1
    const char* name;  // as the usage names it
    int value;
    int minimum;
    int maximum;
};

// The method codes of the first positional argument: one code, a list "1,3" or "all". Empty when
// a code names no measure or one is given twice.
std::vector<int> read_methods(const std::string& text) {
    std::vector<int> methods;
    if (text == "all") {
        for (const MeasureEntry& measure : measure_registry()) methods.push_back(measure.code);
        return methods;
    }
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const int code = read_leading_integer(text.substr(start, comma - start).c_str());
        if (find_measure(code) == nullptr ||
            std::find(methods.begin(), methods.end(), code) != methods.end()) {
            return {};
        }
        methods.push_back(code);
        start = comma + 1;
    }
    return methods;
}

std::string method_refusal(const std::string& text) {
    const std::string rule = "de 1 a " + std::to_string(measure_registry().size());
    if (text.find(',') == std::string::npos) {
        return "\nArgumento 1 (metodo) incorrecto: \"" + text + "\"; debe ser un entero " + rule;
    }
    return "\nArgumento 1 (metodo) incorrecto: \"" + text + "\"; debe ser una lista de enteros " +
           rule + " sin repetir, o all";
}

// A refusal when a name format of the layout gives a number of the run a name longer than a file
// name can be; empty otherwise.
std::string too_long_names(const RunConfig& config) {
    const StackLayout& layout = config.layout;
    if (config.first_folder <= config.last_folder) {
        if (const std::optional<int> folder = number_with_too_long_name(
                layout.folder_names, config.first_folder, config.last_folder)) {
            return "\nbestfocus: --folder-names=" + layout.folder_names + " names folder " +
                   std::to_string(*folder) + " with more than " + std::to_string(kLongestFileName) +
                   " bytes, a file name's limit";
        }
    }
    // With every image there is, the count is not known yet: the largest it could be.
    const int last_image = config.images_per_stack > 0 ? config.images_per_stack : INT_MAX;
    if (const std::optional<int> image =
            number_with_too_long_name(layout.image_names, 1, last_image)) {
        return "\nbestfocus: --image-names=" + layout.image_names + " names image " +
               std::to_string(*image) + " with more than " + std::to_string(kLongestFileName) +
               " bytes, a file name's limit";
    }
    return "";
}

// A refusal when the region is smaller than some method's window, whose value would be 0 on every
// image; empty otherwise.
std::string region_too_small(const RunConfig& config) {
    if (!config.layout.region) {
        return "";
    }
    const RegionOfInterest& region = *config.layout.region;
    for (const int code : config.methods) {
        const MeasureEntry& measure = *find_measure(code);
        const RegionSize smallest = smallest_measured_size(measure);
        if (region.width < smallest.width || region.height < smallest.height) {
            return "\nbestfocus: the region " + std::to_string(region.width) + " x " +
                   std::to_string(region.height) + " is smaller than the window of " +
                   measure.long_name + ", which needs at least " + std::to_string(smallest.width) +
                   " x " + std::to_string(smallest.height) + " pixels";
        }
    }
    return "";
}

std::string refusal_message(const NumberArgument& argument, const char* text) {
    std::string message = "\nArgumento " + std::to_string(argument.position) + " (" +
                          argument.name + ") incorrecto: \"" + text + "\"; debe ser un entero ";
    if (argument.maximum == INT_MAX) {
        return message + "mayor o igual que " + std::to_string(argument.minimum);
    }
    return message + "de " + std::to_string(argument.minimum) + " a " +
           std::to_string(argument.maximum);
}

}  // namespace

int read_leading_integer(const char* text) {
    const long long value = std::strtoll(text, nullptr, 10);  // saturates at the long long range
    if (value < INT_MIN) {
        return INT_MIN;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    return static_cast<int>(value);
}

CommandLine parse_command_line(int argc, const char* const argv[],
                               const std::string& default_base_folder) {
    CommandLine command_line;
    RunConfig& config = command_line.config;
    config.base_folder = default_base_folder;
    const ParsedOptions options = parse_options(argc, argv, &config);
    if (options.action == OptionsAction::refuse) {
        command_line.action = CommandLineAction::refuse;
        command_line.refusal = "\nbestfocus: " + options.refusal;
        return command_line;
    }
    if (options.action == OptionsAction::show_help) {
        command_line.action = CommandLineAction::show_usage;
        return command_line;
    }
    if (options.action == OptionsAction::show_version) {
        command_line.action = CommandLineAction::show_version;
        return command_line;
    }

    // positional[k] is positional argument k, counted from 1 like the usage does.
    const char* const* positional = argv + options.first_positional - 1;
    const int count = argc - options.first_positional;
    if (count >= 1) config.methods = read_methods(positional[1]);
    if (count >= 2) config.base_folder = positional[2];
    if (count >= 3) config.first_folder = read_leading_integer(positional[3]);
    if (count >= 4) config.last_folder = read_leading_integer(positional[4]);
    if (count >= 5) config.images_per_stack = read_leading_integer(positional[5]);
    N_threads_ext2 = count >= 6 ? read_leading_integer(positional[6]) : kDefaultThreadsExt2;
    N_threads_ext1 = count >= 7 ? read_leading_integer(positional[7]) : kDefaultThreadsExt1;
    N_threads = count == 8 ? read_leading_integer(positional[8]) : kDefaultThreads;

    if (config.methods.empty()) {
        command_line.action = CommandLineAction::refuse;
        command_line.refusal = method_refusal(positional[1]);
        return command_line;
    }
    const NumberArgument checked[] = {
        {5, "imagenes por pila", config.images_per_stack, 0, INT_MAX},
        {6, "N_threads_ext2", N_threads_ext2, 1, kMostThreadsPerTeam},
        {7, "N_threads_ext1", N_threads_ext1, 1, kMostThreadsPerTeam},
        {8, "N_threads", N_threads, 1, kMostThreadsPerTeam},
    };
    for (const NumberArgument& argument : checked) {
        // An argument that was not given holds its valid default.
        if (argument.value < argument.minimum || argument.value > argument.maximum) {
            command_line.action = CommandLineAction::refuse;
            command_line.refusal = refusal_message(argument, positional[argument.position]);
            return command_line;
        }
    }
    command_line.refusal = too_long_names(config);
    if (command_line.refusal.empty()) {
        command_line.refusal = region_too_small(config);
    }
    if (command_line.refusal.empty() && config.tiles && config.layout.region) {
        // The region's size is known now; an image's only once it is read (image_measure.h).
        const RegionOfInterest& region = *config.layout.region;
        command_line.refusal = tile_size_problem(*config.tiles, region.width, region.height,
                                                 config.methods, "the region");
    }
    if (!command_line.refusal.empty()) {
        command_line.action = CommandLineAction::refuse;
    }
    return command_line;
}

std::string usage_text(const std::string& default_base_folder) {
    std::string methods;
    for (const MeasureEntry& measure : measure_registry()) {
        methods +=
            (methods.empty() ? "" : ", ") + std::to_string(measure.code) + " " + measure.long_name;
    }
    return "\nUsage: bestfocus [options] [method [base_folder [first [last [images\n"
           "                 [N_threads_ext2 [N_threads_ext1 [N_threads]]]]]]]]\n"
           "  method          focus measure: " +
           methods +
           ";\n"
           "                  a list such as 1,3, or all (default 1)\n"
           "  base_folder     prefix of the stack folders, normally ending in \"/\"; the images "
           "are\n"
           "                  <base_folder><NNN>/<NN>.bmp (default " +
           default_base_folder +
           ")\n"
           "  first, last     range of stack folders, inclusive (default 11 11)\n"
           "  images          images per stack, numbered from 01 (default 20); 0: all there are\n"
           "  N_threads_ext2  stacks processed at once, 1 to 1024 (default 8)\n"
           "  N_threads_ext1  images of one stack processed at once, 1 to 1024 (default 2)\n"
           "  N_threads       threads of each kernel measure's host sum, 1 to 1024; read only\n"
           "                  when exactly eight arguments are given (default 10)\n"
           "Options, before the positional arguments (\"--\" ends them):\n" +
           options_usage() +
           "One report per method, "
           "BestFocus_AutofocusStacks_Folder_<first>_to_<last>_method_<method>.txt,\n"
           "in the working directory: the number of the sharpest image of each stack, then the\n"
           "total time.\n";
}

}  // namespace bestfocus
