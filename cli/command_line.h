// The command line: options, then up to eight positional arguments, each optional from the right.
#pragma once

#include <string>
#include <vector>

#include "options.h"
#include "run_config.h"

namespace bestfocus {

enum class CommandLineAction { run, show_usage, show_version, refuse };

struct CommandLine {
    CommandLineAction action = CommandLineAction::run;
    RunConfig config;
    std::string refusal;  // when refused: the message naming the bad argument
};

// Reads the options (see options.h), then the positional arguments after them: the five items of
// RunConfig in its order, then its team sizes (N_threads_ext2, N_threads_ext1, N_threads), each
// keeping its default when its argument is absent. The eighth positional argument (N_threads)
// is read only when exactly eight are given. Numbers are read by read_leading_integer, so "7x" is
// 7 and "x" is 0. The method is a code, a comma-separated list of codes ("1,3") or "all". Refuses
// what run_config_problem (run_check.h) finds, naming the argument. "-h" or "--help" anywhere asks
// for the usage.
CommandLine parse_command_line(int argc, const char* const argv[],
                               const std::string& default_base_folder);

// The usage text: begins with "\n", ends with a newline.
std::string usage_text(const std::string& default_base_folder);

// The leading decimal integer of the text, as atoi reads it: leading white space skipped, an
// optional sign, the digits up to the first other character; 0 when there is no number. Values
// beyond int saturate at INT_MIN or INT_MAX.
int read_leading_integer(const char* text);

}  // namespace bestfocus
