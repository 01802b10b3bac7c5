#include "failure_reason.h"

namespace bestfocus {

std::string failure_reason(const MeasureFailure& failure) {
    if (failure.call == nullptr) {
        return "";
    }
    std::string call = failure.call;
    if (failure.kernel != nullptr) {
        call += std::string(" (") + failure.kernel + ")";
    }
    return call + " failed: " + failure.error_name + ": " + failure.error_text;
}

}  // namespace bestfocus
