// The command line: options, then up to eight positional arguments, each optional from the right.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "options.h"
#include "run_config.h"

namespace bestfocus {

// checked: --check found nothing to refuse; nothing is run.
enum class CommandLineAction { run, show_usage, show_version, refuse, checked };

struct CommandLine {
    CommandLineAction action = CommandLineAction::run;
    RunConfig config;
    std::string refusal;  // when refused: the message naming the bad argument
    std::string english;  // and its English lines for standard error, each ending in a newline
};

// Reads the options (see options.h), then the positional arguments after them: the five items of
// RunConfig in its order, then its team sizes (N_threads_ext2, N_threads_ext1, N_threads), each
// keeping its default when its argument is absent. The eighth positional argument (N_threads)
// is read only when exactly eight are given. Every number read must be a whole number
// (read_whole_number): "7x", "2O" or "eleven" is refused, not read as 7, 2 or 0. The method is a
// code, a comma-separated list of codes ("1,3") or "all". Refuses what run_config_problem
// (run_check.h) finds, a range that runs backwards among it, naming the argument. "-h" or "--help"
// among the options asks
// for the usage.
CommandLine parse_command_line(int argc, const char* const argv[],
                               const std::string& default_base_folder);

// The usage text: begins with "\n", ends with a newline.
std::string usage_text(const std::string& default_base_folder);

// The text as a decimal int by the rule of every number (parse_digits_int, text_numbers.h):
// digits only. Nothing when the text is anything else or beyond int.
std::optional<int> read_whole_number(const std::string& text);

}  // namespace bestfocus
