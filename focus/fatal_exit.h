// Ending the whole process from any thread while others are still working.
#pragma once

#include <string>

// Prints the diagnostic on standard error and the message on standard output, flushes them and
// ends the process with the status at once.
// No exit-time destructor or atexit handler runs, so none can race the threads still at work.
// When several threads fail together, only the first prints; the others wait for the end.
[[noreturn]] void end_process_now(const std::string& message, int status,
                                  const std::string& diagnostic = "");
