#include "measure_failure_line.h"

std::string measure_failure_line(const std::string& image_path, const MeasureFailure& failure) {
    if (failure.call == nullptr) {
        return "";
    }
    std::string call = failure.call;
    if (failure.kernel != nullptr) {
        call += std::string(" (") + failure.kernel + ")";
    }
    return "bestfocus: " + image_path + ": " + call + " failed: " + failure.error_name + ": " +
           failure.error_text + "\n";
}
