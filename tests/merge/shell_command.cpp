#include "shell_command.h"

#include <sys/wait.h>

#include <cstdio>

CommandResult run_shell(const std::string& command_line) {
    CommandResult result;
    std::FILE* pipe = popen(("exec 2>&1; " + command_line).c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char buffer[4096];
    for (std::size_t read; (read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        result.output.append(buffer, read);
    }
    const int status = pclose(pipe);
    if (status != -1 && WIFEXITED(status)) {
        result.exit_status = WEXITSTATUS(status);
    }
    return result;
}

std::string quoted(const std::string& text) {
    std::string result = "'";
    for (const char c : text) {
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return result + "'";
}
