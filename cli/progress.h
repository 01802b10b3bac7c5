// Progress of a run on standard error: stacks done, images per second, time left.
#pragma once

#include <chrono>
#include <mutex>
#include <string>

namespace bestfocus {

enum class ProgressMode {
    off,
    terminal,  // one line rewritten in place, at most a few times a second
    lines,     // a plain line at every tenth of the stacks
};

// Terminal when standard error is one, plain lines when asked for, nothing when quiet.
ProgressMode progress_mode(bool quiet, bool asked_for_lines, bool standard_error_is_terminal);

class Progress {
  public:
    Progress(ProgressMode mode, long long stacks, long long images_per_stack);

    // Called by any thread when it has finished a stack.
    void stack_done();

    // Ends the terminal line so that later output starts on a fresh one.
    void finish();

  private:
    std::string line(long long done, double seconds) const;

    ProgressMode mode_;
    long long stacks_;
    long long images_per_stack_;
    std::chrono::steady_clock::time_point start_;
    std::mutex mutex_;
    long long done_ = 0;
    int tenths_shown_ = 0;
    std::chrono::steady_clock::time_point last_shown_;
    bool shown_ = false;
};

}  // namespace bestfocus
