#include "failure_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace bestfocus {
namespace {

bool same_open_file(int one, int other) {
    struct stat first {};
    struct stat second {};
    return fstat(one, &first) == 0 && fstat(other, &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

}  // namespace

int show_failure(const RunFailure& failure) {
    const std::string message = tool_message(failure);
    std::fputs(message.c_str(), stdout);
    std::fflush(stdout);
    // The message ends without a line break; on a shared stream the English starts one.
    const bool shared = !message.empty() && same_open_file(STDOUT_FILENO, STDERR_FILENO);
    std::fputs(((shared ? "\n" : "") + english_line(failure)).c_str(), stderr);
    std::fputs(failure.diagnostic.c_str(), stderr);
    std::fflush(stderr);
    return exit_status(failure.kind);
}

int show_refusal(const std::string& message, const std::string& english, const std::string& usage) {
    std::fputs((message + usage).c_str(), stdout);
    std::fflush(stdout);
    std::fputs(english.c_str(), stderr);
    std::fflush(stderr);
    return 2;
}

}  // namespace bestfocus
