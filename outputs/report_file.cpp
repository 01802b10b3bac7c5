#include "report_file.h"

#include <cstdio>

#include "replace_file.h"

std::string report_file_name(int first_folder, int last_folder, int method) {
    return "BestFocus_AutofocusStacks_Folder_" + std::to_string(first_folder) + "_to_" +
           std::to_string(last_folder) + "_method_" + std::to_string(method) + ".txt";
}

std::string report_text(const std::vector<int>& best_images, double seconds) {
    std::string text;
    for (const int image : best_images) {
        text += std::to_string(image) + "\n";
    }
    const char* const format = "\nTotal time: %f seconds...";
    std::string total_time(static_cast<std::size_t>(std::snprintf(nullptr, 0, format, seconds)),
                           '\0');
    // Writes the terminator over total_time[size()], which std::string keeps as '\0' anyway.
    std::snprintf(total_time.data(), total_time.size() + 1, format, seconds);
    return text + total_time;
}

bool write_report(const std::string& file_name, const std::vector<int>& best_images, double seconds,
                  std::string* reason) {
    return replace_file(file_name, report_text(best_images, seconds), reason);
}
