// bestfocus: picks the sharpest image of every focus stack in a numbered range of folders and
// writes the picks and the elapsed time to a report file in the working directory.
#include <omp.h>

#include <cstdio>
#include <opencv2/core/utility.hpp>
#include <opencv2/core/utils/logger.hpp>
#include <string>
#include <vector>

#include "command_line.h"
#include "measure_registry.h"
#include "report_file.h"
#include "stack_scan.h"

int main(int argc, char** argv) {
    const CommandLine command_line = parse_command_line(argc, argv, BESTFOCUS_DEFAULT_BASE_FOLDER);
    switch (command_line.action) {
        case CommandLineAction::show_usage:
            std::fputs(usage_text(BESTFOCUS_DEFAULT_BASE_FOLDER).c_str(), stdout);
            return 0;
        case CommandLineAction::refuse:
            std::fputs((command_line.refusal + usage_text(BESTFOCUS_DEFAULT_BASE_FOLDER)).c_str(),
                       stdout);
            return 2;
        case CommandLineAction::run: break;
    }
    // Our own message names an unreadable image; OpenCV's warning would only repeat it.
    cv::utils::logging::setLogLevel(cv::utils::logging::LOG_LEVEL_ERROR);
    const RunConfig& config = command_line.config;

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
    if (!write_report(report_name, best_images, seconds)) {
        std::printf("\nNo se puede crear archivo de salida...");
        return 1;
    }
    return 0;
}
