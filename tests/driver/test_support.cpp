#include "test_support.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <utility>

#include "engine.h"
#include "image_measure.h"
#include "measure_registry.h"

namespace fs = std::filesystem;

TemporaryFolder::TemporaryFolder() {
    std::string pattern = (fs::temp_directory_path() / "bestfocus_test_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    path_ = pattern + "/";
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

FolderSharedWithDeathTests::FolderSharedWithDeathTests(const std::string& role)
    : variable_("BESTFOCUS_TEST_FOLDER_" + role) {
    if (const char* inherited = std::getenv(variable_.c_str())) {
        path_ = inherited;
        return;
    }
    made_here_.emplace();
    path_ = made_here_->path();
    setenv(variable_.c_str(), path_.c_str(), 1);
}

FolderSharedWithDeathTests::~FolderSharedWithDeathTests() {
    if (made_here_) {
        unsetenv(variable_.c_str());
    }
}

ValuesBothWays values_read_and_decoded(const std::string& file, int page) {
    std::vector<int> methods;
    for (const bestfocus::MeasureEntry& measure : bestfocus::measure_registry()) {
        methods.push_back(measure.code);
    }
    const auto engine = bestfocus::make_engine(bestfocus::EngineKind::cpu, 2);
    ValuesBothWays values;
    values.as_read =
        bestfocus::measure_image(bestfocus::ImageLocation(file, page), *engine, methods).focus;
    std::vector<cv::Mat> decoded;
    if (!cv::imreadmulti(file, decoded, std::max(page, 0), 1, cv::IMREAD_ANYDEPTH)) {
        return values;
    }
    const cv::Mat& pixels = decoded[0];
    const bestfocus::ImageView view{pixels.data,
                                    pixels.depth() == CV_8U ? bestfocus::PixelDepth::u8
                                                            : bestfocus::PixelDepth::u16,
                                    pixels.cols, pixels.rows,
                                    static_cast<std::ptrdiff_t>(pixels.step1())};
    values.of_opencv_pixels = engine->measure(view, methods).values;
    return values;
}

cv::Mat checkerboard(int width, int height, int type, const cv::Scalar& lit) {
    cv::Mat lit_squares(height, width, CV_8U);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            lit_squares.at<unsigned char>(y, x) = (x / 4 + y / 4) % 2 == 1 ? 1 : 0;
        }
    }
    cv::Mat image(height, width, type, cv::Scalar::all(0));
    image.setTo(lit, lit_squares);
    return image;
}

void write_test_stack(const std::string& base_folder, const std::string& folder_name,
                      const std::vector<int>& amplitudes, int width, int height) {
    const std::string folder = base_folder + folder_name + "/";
    fs::create_directories(folder);
    for (std::size_t k = 0; k < amplitudes.size(); ++k) {
        const cv::Mat image = checkerboard(width, height, CV_8U, cv::Scalar(amplitudes[k]));
        const std::string number = (k + 1 < 10 ? "0" : "") + std::to_string(k + 1);
        if (!cv::imwrite(folder + number + ".bmp", image)) {
            throw std::runtime_error("cannot write " + folder + number + ".bmp");
        }
    }
}

std::string report_name(int first, int last, int method) {
    return "BestFocus_AutofocusStacks_Folder_" + std::to_string(first) + "_to_" +
           std::to_string(last) + "_method_" + std::to_string(method) + ".txt";
}

std::string report_lines(const std::string& report) {
    return report.substr(0, report.rfind("\nTotal time: "));
}

std::vector<std::string> folder_entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool drop_permission_override() {
    if (geteuid() != 0) {
        return true;
    }
    // Out of the bounding set, they do not come back when a program is executed...
    if (prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0) != 0 ||
        prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0) != 0) {
        return false;
    }
    // ...and out of the current sets, this process has them no more.
    __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct sets[_LINUX_CAPABILITY_U32S_3] = {};
    if (syscall(SYS_capget, &header, sets) != 0) {
        return false;
    }
    const __u32 kept = ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));  // both < 32
    sets[0].effective &= kept;
    sets[0].permitted &= kept;
    sets[0].inheritable &= kept;
    return syscall(SYS_capset, &header, sets) == 0;
}

bool unreadable_under_file_permissions(const std::string& path) {
    const pid_t child = fork();
    if (child < 0) {
        throw std::runtime_error("cannot fork");
    }
    if (child == 0) {
        _exit(drop_permission_override() && open(path.c_str(), O_RDONLY) < 0 && errno == EACCES
                  ? 0
                  : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

RunningProgram::RunningProgram(const std::string& executable,
                               const std::vector<std::string>& arguments,
                               const std::string& working_folder, const RunOptions& options)
    : deadline_(std::chrono::steady_clock::now() + options.time_limit) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(executable.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    int output_pipe[2];
    int error_pipe[2];
    if (pipe(output_pipe) != 0 || pipe(error_pipe) != 0) {
        throw std::runtime_error("cannot create a pipe");
    }
    pid_ = fork();
    if (pid_ < 0) {
        throw std::runtime_error("cannot start " + executable);
    }
    if (pid_ == 0) {
        // Only async-signal-safe calls between fork and exec.
        if (chdir(working_folder.c_str()) != 0 ||
            (options.remove_working_folder && rmdir(working_folder.c_str()) != 0) ||
            (options.bound_by_file_permissions && !drop_permission_override())) {
            _exit(127);
        }
        dup2(output_pipe[1], STDOUT_FILENO);
        dup2(error_pipe[1], STDERR_FILENO);
        for (const int end : {output_pipe[0], output_pipe[1], error_pipe[0], error_pipe[1]}) {
            close(end);
        }
        execv(executable.c_str(), argv.data());
        _exit(127);
    }
    close(output_pipe[1]);
    close(error_pipe[1]);
    output_ = output_pipe[0];
    error_ = error_pipe[0];
    if (options.standard_output_closed) {
        close(output_);
        output_ = -1;
    }
}

RunningProgram::~RunningProgram() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    for (const int end : {output_, error_}) {
        if (end >= 0) {
            close(end);
        }
    }
}

int RunningProgram::thread_count() const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    std::string field;
    while (status >> field) {
        if (field == "State:") {
            std::string state;
            status >> state;
            if (state == "Z") {
                return 0;  // ended, not yet reaped
            }
        } else if (field == "Threads:") {
            int threads = 0;
            status >> threads;
            return threads;
        }
    }
    return 0;
}

void RunningProgram::kill_now() { kill(pid_, SIGKILL); }

ProgramRun RunningProgram::wait() {
    using std::chrono::steady_clock;
    ProgramRun run;
    int status = 0;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - steady_clock::now());
        if (left.count() <= 0) {
            run.timed_out = true;
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        if (output_ >= 0 || error_ >= 0) {
            // A closed end (-1) is left out of poll.
            pollfd readable[] = {{output_, POLLIN, 0}, {error_, POLLIN, 0}};
            if (poll(readable, 2, static_cast<int>(left.count())) > 0) {
                std::pair<int*, std::string*> ends[] = {{&output_, &run.standard_output},
                                                        {&error_, &run.standard_error}};
                for (int i = 0; i < 2; ++i) {
                    if (readable[i].revents == 0) {
                        continue;
                    }
                    char buffer[4096];
                    const ssize_t count = read(*ends[i].first, buffer, sizeof buffer);
                    if (count > 0) {
                        ends[i].second->append(buffer, static_cast<std::size_t>(count));
                    } else {
                        close(*ends[i].first);
                        *ends[i].first = -1;
                    }
                }
            }
        } else if (waitpid(pid_, &status, WNOHANG) == pid_) {
            break;
        } else {
            // Standard output and error closed, but the program has not ended yet.
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    pid_ = -1;
    if (WIFEXITED(status)) {
        run.exit_status = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        run.signal = WTERMSIG(status);
    }
    return run;
}

ProgramRun run_program(const std::string& executable, const std::vector<std::string>& arguments,
                       const std::string& working_folder, const RunOptions& options) {
    return RunningProgram(executable, arguments, working_folder, options).wait();
}
