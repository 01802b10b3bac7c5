#include "command_line.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>

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
    int* value;        // where the number goes; left as it is when the argument is absent
    int minimum;
    int maximum;
};

// A refusal, in the words of standard output and in English for standard error.
struct Refusal {
    std::string message;
    std::string english;
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
        const std::optional<int> code = read_whole_number(text.substr(start, comma - start));
        if (!code || find_measure(*code) == nullptr ||
            std::find(methods.begin(), methods.end(), *code) != methods.end()) {
            return {};
        }
        methods.push_back(*code);
        start = comma + 1;
    }
    return methods;
}

// The English line that follows a refused positional argument: the rule it breaks, and where the
// text looks like an option, that options come first.
std::string english_refusal(int position, const char* name, const std::string& text,
                            const std::string& rule) {
    std::string english = "bestfocus: argument " + std::to_string(position) + " (" + name +
                          ") is incorrect: \"" + text + "\"; it must be " + rule + "\n";
    if (text.size() > 1 && text[0] == '-' && !read_whole_number(text)) {
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
                english_refusal(1, "metodo", text, "a whole number from 1 to " + most)};
    }
    return {
        "\nArgumento 1 (metodo) incorrecto: \"" + text +
            "\"; debe ser una lista de enteros de 1 a " + most + " sin repetir, o all",
        english_refusal(1, "metodo", text,
                        "a list of whole numbers from 1 to " + most + " without repeats, or all")};
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
    return {message, english_refusal(argument.position, argument.name, text, rule)};
}

CommandLine refused(Refusal refusal) {
    CommandLine command_line;
    command_line.action = CommandLineAction::refuse;
    command_line.refusal = std::move(refusal.message);
    command_line.english = std::move(refusal.english);
    return command_line;
}

// An English refusal (options, names, regions) is its own English line.
CommandLine refused(const std::string& english) {
    return refused(Refusal{english, english.substr(english.find_first_not_of('\n')) + "\n"});
}

}  // namespace

std::optional<int> read_whole_number(const std::string& text) {
    const char* const start = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(start, &end, 10);
    // strtoll also takes leading blanks and a sign; nothing may follow the digits.
    if (end == start || *end != '\0' || !std::isdigit(static_cast<unsigned char>(end[-1])) ||
        errno == ERANGE || value < INT_MIN || value > INT_MAX) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

CommandLine parse_command_line(int argc, const char* const argv[],
                               const std::string& default_base_folder) {
    RunConfig config;
    config.base_folder = default_base_folder;
    const ParsedOptions options = parse_options(argc, argv, &config);
    if (options.action == OptionsAction::refuse) {
        return refused("\nbestfocus: " + options.refusal);
    }
    if (options.action != OptionsAction::run) {
        CommandLine command_line;
        command_line.action = options.action == OptionsAction::show_help
                                  ? CommandLineAction::show_usage
                                  : CommandLineAction::show_version;
        return command_line;
    }

    // positional[k] is positional argument k, counted from 1 like the usage does.
    const char* const* positional = argv + options.first_positional - 1;
    const int count = argc - options.first_positional;
    if (count >= 1) {
        config.methods = read_methods(positional[1]);
        if (config.methods.empty()) return refused(method_refusal(positional[1]));
    }
    if (count >= 2) config.base_folder = positional[2];
    N_threads_ext2 = kDefaultThreadsExt2;
    N_threads_ext1 = kDefaultThreadsExt1;
    N_threads = kDefaultThreads;
    // The last folder is checked after the first, against it: a range that runs backwards holds no
    // folder, and a run of it could only write an empty report.
    NumberArgument numbers[] = {
        {3, "primera carpeta", &config.first_folder, INT_MIN, INT_MAX},
        {4, "ultima carpeta", &config.last_folder, INT_MIN, INT_MAX},
        {5, "imagenes por pila", &config.images_per_stack, 0, INT_MAX},
        {6, "N_threads_ext2", &N_threads_ext2, 1, kMostThreadsPerTeam},
        {7, "N_threads_ext1", &N_threads_ext1, 1, kMostThreadsPerTeam},
        {8, "N_threads", &N_threads, 1, kMostThreadsPerTeam},
    };
    for (NumberArgument& argument : numbers) {
        if (argument.position == 4) argument.minimum = config.first_folder;
        // The eighth is read only when exactly eight are given; an unread argument is not checked.
        const bool given = argument.position == 8 ? count == 8 : count >= argument.position;
        if (!given) continue;
        const std::optional<int> value = read_whole_number(positional[argument.position]);
        if (!value || *value < argument.minimum || *value > argument.maximum) {
            return refused(number_refusal(argument, positional[argument.position]));
        }
        *argument.value = *value;
    }
    if (config.first_folder > config.last_folder) {
        // Only the first folder was given, above the default last one.
        numbers[0].maximum = config.last_folder;
        return refused(number_refusal(numbers[0], positional[3]));
    }
    for (const std::string& refusal : {too_long_names(config), region_too_small(config)}) {
        if (!refusal.empty()) return refused(refusal);
    }
    if (config.tiles && config.layout.region) {
        // The region's size is known now; an image's only once it is read (image_measure.h).
        const RegionOfInterest& region = *config.layout.region;
        const std::string refusal = tile_size_problem(*config.tiles, region.width, region.height,
                                                      config.methods, "the region");
        if (!refusal.empty()) return refused(refusal);
    }
    CommandLine command_line;
    command_line.config = std::move(config);
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
