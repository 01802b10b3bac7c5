// The scores and summary files: every image's score, and what each folder's curves say.
#pragma once

#include <string>
#include <vector>

// One folder's scores under one measure, image 1 first, and the image picked from them.
struct MethodScores {
    int method = 0;
    std::vector<double> scores;
    int best_number = 1;
};

// Every measure's scores of one folder, in the order the methods were asked for.
struct FolderScores {
    int folder = 0;
    std::vector<MethodScores> methods;
};

// CSV (RFC 4180, CRLF-free: "\n" line ends, which every CSV reader takes), header
// "folder,image,method,score,relative_score,best", one row per image and method in folder,
// image, method order. score is printed with %.17g, so it reads back to the same double;
// relative_score is the score over the folder's best score for that method, empty when that best
// is 0 (nothing to compare with); best is 1 on the picked image, else 0.
std::string scores_table(const std::vector<FolderScores>& folders);

// CSV with header "folder,method,best,fractional_best,flags", one row per folder and method:
// the pick, the focus estimated between images, and the ';'-separated warnings of the curve
// (see focus_curve.h), "disagree" on every method of a folder whose picks differ by more than one
// image.
std::string summary_table(const std::vector<FolderScores>& folders);

// The warnings of one folder and method, as in the summary's flags column.
std::string folder_flags(const FolderScores& folder, const MethodScores& method);
