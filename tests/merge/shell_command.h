// Runs a shell command line for the merge tests and keeps what it printed.
#pragma once

#include <string>

struct CommandResult {
    int exit_status = -1;  // -1 when the command did not exit normally
    std::string output;    // standard output and standard error, interleaved
};

CommandResult run_shell(const std::string& command_line);

// The text in single quotes for the shell.
std::string quoted(const std::string& text);
