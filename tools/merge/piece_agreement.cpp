#include "piece_agreement.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace bestfocus {
namespace {

int report_pick(const PieceContents& contents, int method, int folder) {
    const std::vector<int>& picks = contents.reports_by_method.at(method).best_images;
    return picks[static_cast<std::size_t>(folder - contents.piece->first_folder)];
}

// The methods' order in the folder's first image rows, which must hold each report's method once.
bool method_order(const PieceContents& contents, const std::vector<ScoreRow>& rows,
                  std::vector<int>& order) {
    const std::size_t methods = contents.reports_by_method.size();
    if (rows.size() % methods != 0) {
        return false;
    }
    order.clear();
    for (std::size_t m = 0; m < methods; ++m) {
        const int method = rows[m].method;
        if (contents.reports_by_method.count(method) == 0 ||
            std::find(order.begin(), order.end(), method) != order.end()) {
            return false;
        }
        order.push_back(method);
    }
    return true;
}

// The folder's score rows against its reports; the images counted in *images.
bool scores_agree(const PieceContents& contents, int folder, const std::vector<ScoreRow>& rows,
                  int* images, std::string& problem) {
    const std::string where =
        contents.piece->name + "/scores.csv, folder " + std::to_string(folder) + ": ";
    std::vector<int> order;
    if (!method_order(contents, rows, order)) {
        problem = where + "its rows are not every method of the reports for every image";
        return false;
    }
    const std::size_t methods = order.size();
    for (std::size_t k = 0; k < rows.size(); ++k) {
        if (rows[k].image != static_cast<long long>(k / methods) + 1 ||
            rows[k].method != order[k % methods]) {
            problem = where + "its rows are not images 1, 2, ... each under every method in one " +
                      "order";
            return false;
        }
    }
    *images = static_cast<int>(rows.size() / methods);
    for (const int method : order) {
        std::vector<int> best_images;
        for (const ScoreRow& row : rows) {
            if (row.method == method && row.best) {
                best_images.push_back(row.image);
            }
        }
        const int pick = report_pick(contents, method, folder);
        if (best_images != std::vector<int>{pick}) {
            problem = where + "its best rows of method " + std::to_string(method) +
                      " do not say image " + std::to_string(pick) + ", which the report picks";
            return false;
        }
    }
    return true;
}

// The folder's summary rows against its reports and, when known (above 0), its image count.
bool summary_agrees(const PieceContents& contents, int folder, const std::vector<SummaryRow>& rows,
                    int images, std::string& problem) {
    const std::string where =
        contents.piece->name + "/summary.csv, folder " + std::to_string(folder) + ": ";
    std::vector<int> seen;
    for (const SummaryRow& row : rows) {
        if (contents.reports_by_method.count(row.method) == 0 ||
            std::find(seen.begin(), seen.end(), row.method) != seen.end()) {
            problem = where + "its rows are not every method of the reports once";
            return false;
        }
        seen.push_back(row.method);
        const int pick = report_pick(contents, row.method, folder);
        const bool estimate_fits = std::fabs(row.fractional_best - pick) <= 1.0 &&
                                   row.fractional_best >= 1.0 &&
                                   (images == 0 || row.fractional_best <= images);
        if (row.best != pick || !estimate_fits) {
            problem = where + "method " + std::to_string(row.method) + " says best " +
                      std::to_string(row.best) + ", focus " + std::to_string(row.fractional_best) +
                      " where the report picks image " + std::to_string(pick);
            return false;
        }
    }
    if (seen.size() != contents.reports_by_method.size()) {
        problem = where + "its rows are not every method of the reports once";
        return false;
    }
    return true;
}

}  // namespace

bool piece_agrees(const PieceContents& contents, std::string& problem) {
    std::map<int, int> images_by_folder;
    for (const auto& [folder, rows] : contents.scores.by_folder) {
        if (!scores_agree(contents, folder, rows, &images_by_folder[folder], problem)) {
            return false;
        }
    }
    for (const auto& [folder, rows] : contents.summary.by_folder) {
        const auto images = images_by_folder.find(folder);
        if (!summary_agrees(contents, folder, rows,
                            images == images_by_folder.end() ? 0 : images->second, problem)) {
            return false;
        }
    }
    return true;
}

}  // namespace bestfocus
