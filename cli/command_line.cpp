#include "command_line.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "measure_registry.h"
#include "run_check.h"

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

// The method codes of the first positional argument: one code, a list "1,3" or "all".
std::vector<int> read_methods(const std::string& text) {
    std::vector<int> methods;
    if (text == "all") {
        for (const MeasureEntry& measure : measure_registry()) methods.push_back(measure.code);
        return methods;
    }
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        methods.push_back(read_leading_integer(text.substr(start, comma - start).c_str()));
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

std::string refusal_message(const NumberArgument& argument, const char* text) {
    std::string message = "\nArgumento " + std::to_string(argument.position) + " (" +
                          argument.name + ") incorrecto: \"" + text + "\"; debe ser un entero ";
    if (argument.maximum == INT_MAX) {
        return message + "mayor o igual que " + std::to_string(argument.minimum);
    }
    return message + "de " + std::to_string(argument.minimum) + " a " +
           std::to_string(argument.maximum);
}

// The refusal of a configuration's problem: the positional arguments' in the tool's words, naming
// the text given; the options' in English.
std::string problem_refusal(const RunProblem& problem, const RunConfig& config,
                            const char* const* positional) {
    const auto number = [&](int position, const char* name, int value) {
        return refusal_message({position, name, value, problem.minimum, problem.maximum},
                               positional[position]);
    };
    switch (problem.setting) {
        case RunSetting::methods: return method_refusal(positional[1]);
        case RunSetting::images_per_stack:
            return number(5, "imagenes por pila", config.images_per_stack);
        case RunSetting::threads_ext2:
            return number(6, "N_threads_ext2", config.teams.threads_ext2);
        case RunSetting::threads_ext1:
            return number(7, "N_threads_ext1", config.teams.threads_ext1);
        case RunSetting::threads: return number(8, "N_threads", config.teams.threads);
        case RunSetting::folder_names:
            return "\nbestfocus: --folder-names=" + config.layout.folder_names + " " +
                   problem.detail;
        case RunSetting::image_names:
            return "\nbestfocus: --image-names=" + config.layout.image_names + " " + problem.detail;
        case RunSetting::region: return "\nbestfocus: the region " + problem.detail;
    }
    return "";
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
    if (count >= 6) config.teams.threads_ext2 = read_leading_integer(positional[6]);
    if (count >= 7) config.teams.threads_ext1 = read_leading_integer(positional[7]);
    if (count == 8) config.teams.threads = read_leading_integer(positional[8]);

    // An argument that was not given holds its valid default.
    if (const std::optional<RunProblem> problem = run_config_problem(config)) {
        command_line.action = CommandLineAction::refuse;
        command_line.refusal = problem_refusal(*problem, config, positional);
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
