// The command line: up to eight positional arguments, each optional from the right.
#pragma once

#include <string>

// What one run does. Members left unset by the command line keep these defaults.
struct RunConfig {
    int method = 1;
    std::string base_folder;  // prefix of every folder path, used unchanged
    int first_folder = 11;
    int last_folder = 11;  // inclusive
    int images_per_stack = 20;
    // The team sizes are the globals of team_sizes.h.
};

// The largest team size accepted at each of the three levels. No machine needs more threads in one
// team, and the runtime creates the product of the three levels: larger counts only exhaust the
// process or memory limits inside OpenMP, where no message can be given.
constexpr int kMostThreadsPerTeam = 1024;

enum class CommandLineAction { run, show_usage, refuse };

struct CommandLine {
    CommandLineAction action = CommandLineAction::run;
    RunConfig config;
    std::string refusal;  // when refused: the message naming the bad argument
};

// Reads argv[1] to argv[argc - 1]: the five items of RunConfig in its order, then the team sizes
// into N_threads_ext2, N_threads_ext1 and N_threads, each set to its default when its argument
// is absent. The eighth (N_threads) is read only when exactly eight arguments are given. Numbers
// are read by read_leading_integer, so "7x" is 7 and "x" is 0. Refuses a method without a measure,
// fewer than one image per stack and any team size below one or above
// kMostThreadsPerTeam. "-h" or "--help" anywhere asks for
// the usage.
CommandLine parse_command_line(int argc, const char* const argv[],
                               const std::string& default_base_folder);

// The usage text: begins with "\n", ends with a newline.
std::string usage_text(const std::string& default_base_folder);

// The leading decimal integer of the text, as atoi reads it: leading white space skipped, an
// optional sign, the digits up to the first other character; 0 when there is no number. Values
// beyond int saturate at INT_MIN or INT_MAX.
int read_leading_integer(const char* text);
