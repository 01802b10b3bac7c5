#include "test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <sstream>
#include <stdexcept>

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

void write_test_stack(const std::string& base_folder, const std::string& folder_name,
                      const std::vector<int>& amplitudes) {
    const std::string folder = base_folder + folder_name + "/";
    fs::create_directories(folder);
    for (std::size_t k = 0; k < amplitudes.size(); ++k) {
        cv::Mat image(16, 24, CV_8U);
        for (int y = 0; y < image.rows; ++y) {
            for (int x = 0; x < image.cols; ++x) {
                const bool lit = ((x / 2) + (y / 2)) % 2 == 1;
                image.at<unsigned char>(y, x) = static_cast<unsigned char>(lit ? amplitudes[k] : 0);
            }
        }
        const std::string number = (k + 1 < 10 ? "0" : "") + std::to_string(k + 1);
        if (!cv::imwrite(folder + number + ".bmp", image)) {
            throw std::runtime_error("cannot write " + folder + number + ".bmp");
        }
    }
}

std::string read_file(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> folder_entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

ProgramRun run_program(const std::string& executable, const std::vector<std::string>& arguments,
                       const std::string& working_folder, bool remove_working_folder) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(executable.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    int output_pipe[2];
    if (pipe(output_pipe) != 0) {
        throw std::runtime_error("cannot create a pipe");
    }
    const pid_t child = fork();
    if (child < 0) {
        throw std::runtime_error("cannot start " + executable);
    }
    if (child == 0) {
        // Only async-signal-safe calls between fork and exec.
        if (chdir(working_folder.c_str()) != 0 ||
            (remove_working_folder && rmdir(working_folder.c_str()) != 0)) {
            _exit(127);
        }
        dup2(output_pipe[1], STDOUT_FILENO);
        close(output_pipe[0]);
        close(output_pipe[1]);
        execv(executable.c_str(), argv.data());
        _exit(127);
    }
    close(output_pipe[1]);
    ProgramRun run;
    char buffer[4096];
    ssize_t count;
    while ((count = read(output_pipe[0], buffer, sizeof buffer)) > 0) {
        run.standard_output.append(buffer, static_cast<std::size_t>(count));
    }
    close(output_pipe[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status)) {
        run.exit_status = WEXITSTATUS(status);
    }
    return run;
}
