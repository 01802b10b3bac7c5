// Helpers of the driver tests: temporary folders, test stacks, running the executable.
#pragma once

#include <string>
#include <vector>

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

// Writes <base><NNN>/<NN>.bmp, image k + 1 from amplitudes[k]: a 24 x 16 checkerboard of 2 x 2
// squares, black and amplitude. Every focus measure the tool offers is a quadratic form of the
// pixels that is positive on this pattern, so the image with the largest amplitude is the
// sharpest, and equal amplitudes give equal focus values.
void write_test_stack(const std::string& base_folder, const std::string& folder_name,
                      const std::vector<int>& amplitudes);

// The file's bytes; empty when it cannot be read.
std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);

// The names of the entries of a folder, sorted.
std::vector<std::string> folder_entries(const std::string& folder);

struct ProgramRun {
    int exit_status = -1;  // -1 when the program did not exit normally
    std::string standard_output;
};

// Runs the executable with the arguments in the working folder and waits for it. With
// remove_working_folder, the (empty) working folder is deleted once the program is in it.
ProgramRun run_program(const std::string& executable, const std::vector<std::string>& arguments,
                       const std::string& working_folder, bool remove_working_folder = false);
