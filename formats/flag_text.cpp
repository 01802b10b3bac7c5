#include "flag_text.h"

#include <algorithm>
#include <iterator>

namespace bestfocus {
namespace {

struct FlagText {
    const char* name;
    const char* meaning;
};

// In Flag order.
constexpr FlagText kFlagTexts[] = {
    {"edge", "the pick is the first or last image: focus may lie outside the stack"},
    {"flat", "no image scores clearly above the stack's median"},
    {"two-peaks", "a second peak rises at least half as high as the best"},
    {"disagree", "the measures pick images more than one apart"},
};
static_assert(sizeof kFlagTexts / sizeof kFlagTexts[0] == sizeof kAllFlags / sizeof kAllFlags[0],
              "every flag has its text");

}  // namespace

const char* flag_name(Flag flag) { return kFlagTexts[static_cast<int>(flag)].name; }

const char* flag_meaning(Flag flag) { return kFlagTexts[static_cast<int>(flag)].meaning; }

std::string flag_list(FlagSet flags) {
    std::string names;
    for (const Flag flag : kAllFlags) {
        if (flags.has(flag)) {
            names += (names.empty() ? "" : ";") + std::string(flag_name(flag));
        }
    }
    return names;
}

std::optional<FlagSet> parse_flag_list(const std::string& text) {
    FlagSet flags;
    std::size_t next_flag = 0;  // names come in kAllFlags order, each once
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find(';', start), text.size());
        const std::string name = text.substr(start, end - start);
        while (next_flag < std::size(kAllFlags) && name != flag_name(kAllFlags[next_flag])) {
            ++next_flag;
        }
        if (next_flag == std::size(kAllFlags) || (end < text.size() && end + 1 == text.size())) {
            return std::nullopt;
        }
        flags.set(kAllFlags[next_flag++]);
        start = end + 1;
    }
    return flags;
}

}  // namespace bestfocus
