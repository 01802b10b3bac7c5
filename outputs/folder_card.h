// One folder's card on the HTML page.
#pragma once

#include <string>
#include <vector>

#include "html_report.h"
#include "score_tables.h"

// The names of the warnings folder_flags writes, in the order the page lists them.
constexpr const char* kWarningNames[] = {"edge", "flat", "two-peaks", "disagree"};
constexpr int kWarningCount = sizeof kWarningNames / sizeof kWarningNames[0];

// The warnings of any of the folder's methods (folder_flags), each once, in kWarningNames order;
// empty when the folder is not flagged.
std::vector<std::string> folder_warning_names(const FolderScores& folder);

// What a warning name (as folder_flags writes it) means, in a sentence for the page's readers.
const char* warning_meaning(const std::string& name);

// The image shown beside the pick for comparison: the pick's better-scoring neighbour under the
// same measure (the only one at either end of the stack); 0 for a stack of one image.
int comparison_image(const MethodScores& method);

// The image file of a numbered folder: "<folder_path>NN.bmp", as the tool reads it by default.
std::string numbered_image_path(const std::string& folder_path, int image_number);

// A <section class="card"> (also "flagged" when it has warnings) for the folder at folder_path,
// whose images image_name names: its curves, the thumbnails of the first method's pick and of
// comparison_image, and a legend with every method's colour, name, pick, focus estimate and
// warnings. method_names are in the folder's method order.
std::string folder_card(const FolderScores& folder, const std::vector<std::string>& method_names,
                        const std::string& folder_path,
                        const std::function<std::string(int image_number)>& image_name,
                        const ReportImageSource& load_image);
