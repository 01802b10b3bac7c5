#include "focus_selection.h"

namespace bestfocus {

int best_image_number(const std::vector<double>& focus) {
    double best_focus = focus[0];
    int best_number = 1;
    for (std::size_t slot = 1; slot < focus.size(); ++slot) {
        if (focus[slot] > best_focus) {
            best_focus = focus[slot];
            best_number = static_cast<int>(slot) + 1;
        }
    }
    return best_number;
}

}  // namespace bestfocus
