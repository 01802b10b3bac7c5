#include "progress.h"

#include <cstdio>

namespace bestfocus {

namespace {

// Rewrites of the terminal line are spaced at least this far apart.
constexpr std::chrono::milliseconds kTerminalInterval(250);

std::string duration_text(double seconds) {
    const long long whole = static_cast<long long>(seconds + 0.5);
    char text[32];
    if (whole >= 3600) {
        std::snprintf(text, sizeof text, "%lldh%02lldm", whole / 3600, whole / 60 % 60);
    } else if (whole >= 60) {
        std::snprintf(text, sizeof text, "%lldm%02llds", whole / 60, whole % 60);
    } else {
        std::snprintf(text, sizeof text, "%llds", whole);
    }
    return text;
}

}  // namespace

ProgressMode progress_mode(bool quiet, bool asked_for_lines, bool standard_error_is_terminal) {
    if (quiet) return ProgressMode::off;
    if (standard_error_is_terminal) return ProgressMode::terminal;
    return asked_for_lines ? ProgressMode::lines : ProgressMode::off;
}

Progress::Progress(ProgressMode mode, long long stacks, long long images_per_stack)
    : mode_(mode),
      stacks_(stacks),
      images_per_stack_(images_per_stack),
      start_(std::chrono::steady_clock::now()),
      last_shown_(start_) {}

std::string Progress::line(long long done, double seconds) const {
    const double images_per_second = seconds > 0 ? done * images_per_stack_ / seconds : 0.0;
    const double left = done > 0 ? seconds / done * (stacks_ - done) : 0.0;
    char text[160];
    std::snprintf(text, sizeof text, "%lld/%lld stacks, %.1f images/s, %s left", done, stacks_,
                  images_per_second, duration_text(left).c_str());
    return text;
}

void Progress::stack_done() {
    if (mode_ == ProgressMode::off) return;
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard<std::mutex> lock(mutex_);
    const long long done = ++done_;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    if (mode_ == ProgressMode::terminal) {
        if (done < stacks_ && now - last_shown_ < kTerminalInterval) return;
        last_shown_ = now;
        shown_ = true;
        // \r and "erase to the end of the line": a shorter line leaves nothing of the longer one.
        std::fprintf(stderr, "\r%s\033[K", line(done, seconds).c_str());
    } else {
        const int tenths = static_cast<int>(done * 10 / stacks_);
        if (tenths <= tenths_shown_) return;
        tenths_shown_ = tenths;
        std::fprintf(stderr, "progress: %d%%, %s\n", tenths * 10, line(done, seconds).c_str());
    }
    std::fflush(stderr);
}

void Progress::finish() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (mode_ == ProgressMode::terminal && shown_) {
        std::fputc('\n', stderr);
        std::fflush(stderr);
        shown_ = false;
    }
}

}  // namespace bestfocus
