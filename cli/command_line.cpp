#include "command_line.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>

#include "measure_registry.h"
#include "run_check.h"
#include "text_numbers.h"
#include "tile_size_check.h"

namespace bestfocus {

namespace {

// A number argument and the range it must lie in.
struct NumberArgument {
    int position;      // among the positional arguments, from 1
    const char* name;  // in the tool's message
    int minimum;
    int maximum;
};

// The positional arguments' names in English lines, by position from 1.
const char* english_name(int position) {
    static const char* const names[] = {"",
                                        "method",
                                        "base folder",
                                        "first folder",
                                        "last folder",
                                        "images per stack",
                                        "N_threads_ext2",
                                        "N_threads_ext1",
                                        "N_threads"};
    return position >= 1 && position <= 8 ? names[position] : "";
}

// A refusal, in the words of standard output and in English for standard error.
struct Refusal {
    std::string message;
    std::string english;
};

// An English refusal (options, names, regions) is its own English line.
Refusal in_english(const std::string& message) {
    return {message, message.substr(message.find_first_not_of('\n')) + "\n"};
}

// A method by its code ("5") or its name ("brenner"); nothing when it is neither a whole number
// nor a measure's name.
std::optional<int> read_method(const std::string& text) {
    for (const MeasureEntry& measure : measure_registry()) {
        if (text == measure.short_name) return measure.code;
    }
    return read_whole_number(text);
}

// The method codes of the first positional argument: one method, a list "1,3" or "5,laplacian", or
// "all"; nothing when an item is no method. Whether each code names a measure, once, is the run's
// check.
std::optional<std::vector<int>> read_methods(const std::string& text) {
    std::vector<int> methods;
    if (text == "all") {
        for (const MeasureEntry& measure : measure_registry()) methods.push_back(measure.code);
        return methods;
    }
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::optional<int> code = read_method(text.substr(start, comma - start));
        if (!code) return std::nullopt;
        methods.push_back(*code);
        start = comma + 1;
    }
    return methods;
}

// The measures' names, as the refusals list them: "vollath-f4, mdct, ...".
std::string method_names() {
    std::string names;
    for (const MeasureEntry& measure : measure_registry()) {
        names += (names.empty() ? "" : ", ") + std::string(measure.short_name);
    }
    return names;
}

// The English line that follows a refused positional argument: the rule it breaks, and where the
// text looks like an option, that options come first.
std::string english_refusal(int position, const std::string& text, const std::string& rule) {
    std::string english = "bestfocus: argument " + std::to_string(position) + " (" +
                          english_name(position) + ") is incorrect: \"" + text + "\"; it must be " +
                          rule + "\n";
    if (text.size() > 1 && text[0] == '-' && !std::isdigit(static_cast<unsigned char>(text[1]))) {
        english += "bestfocus: options go before the positional arguments: \"" + text +
                   "\" was read as argument " + std::to_string(position) + "\n";
    }
    return english;
}

Refusal method_refusal(const std::string& text) {
    const std::string most = std::to_string(measure_registry().size());
    if (text.find(',') == std::string::npos) {
        return {"\nArgumento 1 (metodo) incorrecto: \"" + text + "\"; debe ser un entero de 1 a " +
                    most,
                english_refusal(1, text,
                                "a whole number from 1 to " + most + " or a method's name (" +
                                    method_names() + ")")};
    }
    return {"\nArgumento 1 (metodo) incorrecto: \"" + text +
                "\"; debe ser una lista de enteros de 1 a " + most + " sin repetir, o all",
            english_refusal(1, text,
                            "a list of whole numbers from 1 to " + most +
                                " or methods' names, without repeats, or all")};
}

Refusal number_refusal(const NumberArgument& argument, const std::string& text) {
    std::string message = "\nArgumento " + std::to_string(argument.position) + " (" +
                          argument.name + ") incorrecto: \"" + text + "\"; debe ser un entero";
    std::string rule = "a whole number";
    if (argument.minimum == INT_MIN && argument.maximum != INT_MAX) {
        message += " menor o igual que " + std::to_string(argument.maximum);
        rule += " of at most " + std::to_string(argument.maximum);
    } else if (argument.minimum == INT_MIN) {
        // Any int: only a text that is no whole number is refused.
    } else if (argument.maximum == INT_MAX) {
        message += " mayor o igual que " + std::to_string(argument.minimum);
        rule += " of at least " + std::to_string(argument.minimum);
    } else {
        message +=
            " de " + std::to_string(argument.minimum) + " a " + std::to_string(argument.maximum);
        rule +=
            " from " + std::to_string(argument.minimum) + " to " + std::to_string(argument.maximum);
    }
    return {message, english_refusal(argument.position, text, rule + " (digits only)")};
}

// The refusal of a configuration's problem: the positional arguments' in the tool's words, naming
// the text given; the options' in English. `count` positional arguments were given.
Refusal problem_refusal(const RunProblem& problem, const RunConfig& config,
                        const char* const* positional, int count) {
    const auto number = [&](int position, const char* name) {
        return number_refusal({position, name, problem.minimum, problem.maximum},
                              positional[position]);
    };
    switch (problem.setting) {
        case RunSetting::methods: return method_refusal(positional[1]);
        case RunSetting::first_folder: return number(3, "primera carpeta");
        case RunSetting::last_folder:
            if (count >= 4) return number(4, "ultima carpeta");
            // Only the first folder was given, above the default last one.
            return number_refusal({3, "primera carpeta", INT_MIN, config.last_folder},
                                  positional[3]);
        case RunSetting::images_per_stack: return number(5, "imagenes por pila");
        case RunSetting::threads_ext2: return number(6, "N_threads_ext2");
        case RunSetting::threads_ext1: return number(7, "N_threads_ext1");
        case RunSetting::threads: return number(8, "N_threads");
        case RunSetting::folder_names:
            return in_english("\nbestfocus: --folder-names=" + config.layout.folder_names + " " +
                              problem.detail);
        case RunSetting::image_names:
            return in_english("\nbestfocus: --image-names=" + config.layout.image_names + " " +
                              problem.detail);
        case RunSetting::region: return in_english("\nbestfocus: the region " + problem.detail);
    }
    return {};
}

CommandLine refused(Refusal refusal) {
    CommandLine command_line;
    command_line.action = CommandLineAction::refuse;
    command_line.refusal = std::move(refusal.message);
    command_line.english = std::move(refusal.english);
    return command_line;
}

}  // namespace

std::optional<int> read_whole_number(const std::string& text) {
    int value = 0;
    if (!parse_digits_int(text, value)) return std::nullopt;
    return value;
}

CommandLine parse_command_line(int argc, const char* const argv[],
                               const std::string& default_base_folder) {
    CommandLine command_line;
    RunConfig& config = command_line.config;
    config.base_folder = default_base_folder;
    const ParsedOptions options = parse_options(argc, argv, &config);
    if (options.action == OptionsAction::refuse) {
        return refused(in_english("\nbestfocus: " + options.refusal));
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
    if (count >= 1) {
        std::optional<std::vector<int>> methods = read_methods(positional[1]);
        if (!methods) return refused(method_refusal(positional[1]));
        config.methods = std::move(*methods);
    }
    if (count >= 2) config.base_folder = positional[2];
    // Each number must be one; its range is the run's check below. The eighth is read only when
    // exactly eight are given: an argument that is not read is not checked.
    const std::pair<NumberArgument, int*> numbers[] = {
        {{3, "primera carpeta", INT_MIN, INT_MAX}, &config.first_folder},
        {{4, "ultima carpeta", INT_MIN, INT_MAX}, &config.last_folder},
        {{5, "imagenes por pila", 0, INT_MAX}, &config.images_per_stack},
        {{6, "N_threads_ext2", 1, kMostThreadsPerTeam}, &config.teams.threads_ext2},
        {{7, "N_threads_ext1", 1, kMostThreadsPerTeam}, &config.teams.threads_ext1},
        {{8, "N_threads", 1, kMostThreadsPerTeam}, &config.teams.threads},
    };
    for (const auto& [argument, value] : numbers) {
        if (argument.position == 8 ? count != 8 : count < argument.position) continue;
        const std::optional<int> read = read_whole_number(positional[argument.position]);
        if (!read) return refused(number_refusal(argument, positional[argument.position]));
        *value = *read;
    }

    // An argument that was not given holds its valid default.
    if (const std::optional<RunProblem> problem = run_config_problem(config)) {
        return refused(problem_refusal(*problem, config, positional, count));
    }
    if (config.tiles && config.layout.region) {
        // The region's size is known now; an image's only once it is read (image_measure.h).
        const RegionOfInterest& region = *config.layout.region;
        const std::string refusal = tile_size_problem(*config.tiles, region.width, region.height,
                                                      config.methods, "the region");
        if (!refusal.empty()) return refused(in_english(refusal));
    }
    if (options.check_only) command_line.action = CommandLineAction::checked;
    return command_line;
}

std::string usage_text(const std::string& default_base_folder) {
    std::string methods;
    for (const MeasureEntry& measure : measure_registry()) {
        methods += (methods.empty() ? "" : ", ") + std::to_string(measure.code) + " " +
                   measure.long_name + " (" + measure.short_name + ")";
    }
    return "\nUsage: bestfocus [options] [method [base_folder [first [last [images\n"
           "                 [N_threads_ext2 [N_threads_ext1 [N_threads]]]]]]]]\n"
           "  method          focus measure: " +
           methods +
           ";\n"
           "                  or its name (brenner); a list such as 1,3, or all (default 1)\n"
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
