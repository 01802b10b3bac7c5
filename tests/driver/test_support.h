// Helpers of the driver tests: temporary folders, test stacks, running the executable.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <opencv2/core.hpp>
#include <optional>
#include <string>
#include <vector>

#include "file_bytes.h"

// AddressSanitizer reserves terabytes of address space for its shadow memory at start-up, so a run
// under a limit on address space or data cannot start: tests of such limits skip in that build.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kLimitsOnMemoryApply = false;
#else
constexpr bool kLimitsOnMemoryApply = true;
#endif

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TemporaryFolder {
  public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    // Ends in "/".
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// A temporary folder of a test that its threadsafe death tests find again. Such a death test runs
// the test once more in a new process, up to its statement; there this object takes the folder of
// the test from the environment instead of making one that the abrupt end would leave behind.
// `role` tells the folders of one test apart.
class FolderSharedWithDeathTests {
  public:
    explicit FolderSharedWithDeathTests(const std::string& role);
    ~FolderSharedWithDeathTests();
    FolderSharedWithDeathTests(const FolderSharedWithDeathTests&) = delete;
    FolderSharedWithDeathTests& operator=(const FolderSharedWithDeathTests&) = delete;

    // Ends in "/".
    const std::string& path() const { return path_; }

  private:
    std::string variable_;
    std::optional<TemporaryFolder> made_here_;  // empty in a death test's process
    std::string path_;
};

// Every method of the measure list on the file's image, measured as the scan measures it (its rows
// as our readers read them, a band at a time where they can), against the same methods on
// OpenCV's decode of it; both on the CPU engine of a run of many images.
struct ValuesBothWays {
    std::vector<double> as_read;
    std::vector<double> of_opencv_pixels;
};
ValuesBothWays values_read_and_decoded(const std::string& file, int page = -1);

// A width x height checkerboard of 2 x 2 squares, black (0) and lit, of the matrix type; the square
// at the top left is black.
cv::Mat checkerboard(int width, int height, int type, const cv::Scalar& lit);

// Writes <base><NNN>/<NN>.bmp, image k + 1 from amplitudes[k]: a width x height checkerboard of
// 2 x 2 squares, black and amplitude. Every focus measure the tool offers is a quadratic form of
// the pixels that is positive on this pattern, so the image with the largest amplitude is the
// sharpest, and equal amplitudes give equal focus values.
void write_test_stack(const std::string& base_folder, const std::string& folder_name,
                      const std::vector<int>& amplitudes, int width = 24, int height = 16);

// "BestFocus_AutofocusStacks_Folder_<first>_to_<last>_method_<method>.txt"
std::string report_name(int first, int last, int method);

// The lines of a report, without the total time that follows them.
std::string report_lines(const std::string& report);

// The names of the entries of a folder, sorted.
std::vector<std::string> folder_entries(const std::string& folder);

struct ProgramRun {
    int exit_status = -1;  // -1 when the program did not exit normally
    int signal = 0;        // the signal that ended it, if one did
    bool timed_out = false;
    std::string standard_output;
    std::string standard_error;
};

struct RunOptions {
    // The (empty) working folder is deleted once the program is in it.
    bool remove_working_folder = false;
    // The program runs without the power to read or write past file permissions that root has
    // (see drop_permission_override).
    bool bound_by_file_permissions = false;
    // A program still running this long after its start is killed: a hang fails the test instead
    // of stalling it.
    std::chrono::seconds time_limit{300};
    // The program's standard output is a pipe whose reading end is closed at its start: every
    // write to it fails, as when the reader of a pipeline has gone.
    bool standard_output_closed = false;
};

// Makes file permissions apply to this process and the programs it starts, also when it runs as
// root: drops the capabilities to override them from the bounding set. Only async-signal-safe
// calls. Returns false when that is impossible; when not root, there is nothing to drop.
bool drop_permission_override();

// Whether a process that drops the permission override can no longer open the file for reading.
bool unreadable_under_file_permissions(const std::string& path);

// The executable started in a working folder, with its standard output and error captured.
class RunningProgram {
  public:
    RunningProgram(const std::string& executable, const std::vector<std::string>& arguments,
                   const std::string& working_folder, const RunOptions& options = {});
    // Kills and reaps the program if it is still running.
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // The threads the program runs now, as /proc lists them; 0 once it has ended, also before it
    // is reaped.
    int thread_count() const;
    void kill_now();
    // Collects standard output and standard error until the program closes them and reaps the
    // program; kills it at the time limit.
    ProgramRun wait();

  private:
    pid_t pid_ = -1;
    int output_ = -1;  // read ends of the pipes on the program's standard output and error
    int error_ = -1;
    std::chrono::steady_clock::time_point deadline_;
};

// Runs the executable with the arguments in the working folder and waits for it.
ProgramRun run_program(const std::string& executable, const std::vector<std::string>& arguments,
                       const std::string& working_folder, const RunOptions& options = {});
