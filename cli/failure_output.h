// How a failure reaches the user: the tool's message on standard output, then English on
// standard error.
#pragma once

#include <string>

#include "run_failure.h"

namespace bestfocus {

// Prints the failure's message on standard output and flushes it, then on standard error its
// English line (run_failure.h) and its diagnostic. When both streams go to the same file (a
// terminal, 2>&1), the English line starts on a line of its own. Returns its exit status.
int show_failure(const RunFailure& failure);

// A bad command line: the message and the usage on standard output, then the English lines on
// standard error, after the usage so that they are what a terminal shows last. Returns status 2.
int show_refusal(const std::string& message, const std::string& english, const std::string& usage);

}  // namespace bestfocus
