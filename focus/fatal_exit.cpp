#include "fatal_exit.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

[[noreturn]] void end_process_now(const std::string& message, int status,
                                  const std::string& diagnostic) {
    static std::mutex first_caller;
    first_caller.lock();  // never unlocked: the process ends while it is held
    std::fputs(diagnostic.c_str(), stderr);
    std::fputs(message.c_str(), stdout);
    std::fflush(stdout);
    std::_Exit(status);
}
