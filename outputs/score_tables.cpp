#include "score_tables.h"

#include <cstdio>

#include "focus_curve.h"

namespace {

// Shortest decimal form that reads back to the same double (at most 17 significant digits).
std::string exact_decimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

bool folder_disagrees(const FolderScores& folder) {
    std::vector<int> picks;
    for (const MethodScores& method : folder.methods) {
        picks.push_back(method.best_number);
    }
    return picks_disagree(picks);
}

}  // namespace

std::string scores_table(const std::vector<FolderScores>& folders) {
    std::string table = "folder,image,method,score,relative_score,best\n";
    for (const FolderScores& folder : folders) {
        std::vector<double> bests;
        for (const MethodScores& method : folder.methods) {
            bests.push_back(method.scores[static_cast<std::size_t>(method.best_number - 1)]);
        }
        // Every method scored the same images of the folder.
        const std::size_t images = folder.methods.empty() ? 0 : folder.methods[0].scores.size();
        for (std::size_t image = 0; image < images; ++image) {
            for (std::size_t m = 0; m < folder.methods.size(); ++m) {
                const MethodScores& method = folder.methods[m];
                const double score = method.scores[image];
                const int number = static_cast<int>(image) + 1;
                table += std::to_string(folder.folder) + ',' + std::to_string(number) + ',' +
                         std::to_string(method.method) + ',' + exact_decimal(score) + ',' +
                         (bests[m] != 0.0 ? exact_decimal(score / bests[m]) : std::string()) + ',' +
                         (number == method.best_number ? '1' : '0') + '\n';
            }
        }
    }
    return table;
}

std::string folder_flags(const FolderScores& folder, const MethodScores& method) {
    return flag_names(check_curve(method.scores, method.best_number), folder_disagrees(folder));
}

std::string summary_table(const std::vector<FolderScores>& folders) {
    std::string table = "folder,method,best,fractional_best,flags\n";
    for (const FolderScores& folder : folders) {
        for (const MethodScores& method : folder.methods) {
            table += std::to_string(folder.folder) + ',' + std::to_string(method.method) + ',' +
                     std::to_string(method.best_number) + ',' +
                     exact_decimal(fractional_best(method.scores, method.best_number)) + ',' +
                     folder_flags(folder, method) + '\n';
        }
    }
    return table;
}
