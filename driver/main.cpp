// bestfocus: picks the sharpest image of every focus stack in a numbered range of folders and
// writes the picks and the elapsed time to a report file in the working directory.
#include <omp.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <opencv2/core/utility.hpp>
#include <opencv2/core/utils/logger.hpp>
#include <optional>
#include <string>
#include <vector>

#include "command_line.h"
#include "default_base_folder.h"
#include "input_check.h"
#include "measure_registry.h"
#include "report_file.h"
#include "stack_scan.h"

int main(int argc, char** argv) {
    // A reader of standard output that has gone away must not end the run by SIGPIPE: the report
    // is still written, and the exit status still tells how the run went.
    std::signal(SIGPIPE, SIG_IGN);
    const std::string default_base = default_base_folder();
    const CommandLine command_line = parse_command_line(argc, argv, default_base);
    switch (command_line.action) {
        case CommandLineAction::show_usage:
            std::fputs(usage_text(default_base).c_str(), stdout);
            return 0;
        case CommandLineAction::refuse:
            std::fputs((command_line.refusal + usage_text(default_base)).c_str(), stdout);
            return 2;
        case CommandLineAction::run: break;
    }
    const RunConfig& config = command_line.config;
    // Before anything is allocated for the folders: a run that cannot succeed stops here.
    if (const std::optional<MissingInput> missing = first_missing_input(config)) {
        end_run_on_missing_input(*missing, config.base_folder);
    }
    // Our own messages name an unreadable image; OpenCV's would only repeat them, in English.
    cv::utils::logging::setLogLevel(cv::utils::logging::LOG_LEVEL_SILENT);

    std::vector<int> best_images(folder_count(config.first_folder, config.last_folder));
    const double start_ticks = static_cast<double>(cv::getTickCount());
    // The inner teams and the measures' reduction teams run nested inside the outer team.
    omp_set_max_active_levels(omp_get_supported_active_levels());
    scan_stacks(config, find_measure(config.method)->uchar, best_images);
    const double end_ticks = static_cast<double>(cv::getTickCount());
    const double seconds = (end_ticks - start_ticks) / cv::getTickFrequency();

    std::printf("\n%lf\n", seconds);
    const std::string report_name =
        report_file_name(config.first_folder, config.last_folder, config.method);
    if (const int error = write_report(report_name, best_images, seconds); error != 0) {
        std::printf("\nNo se puede crear archivo de salida...");
        std::fflush(stdout);
        std::fprintf(stderr, "bestfocus: cannot write the report %s: %s\n", report_name.c_str(),
                     std::strerror(error));
        return 1;
    }
    return 0;
}
