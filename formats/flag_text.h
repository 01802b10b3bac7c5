// The warnings as text: the one home of each warning's name (as the summary file, the page and the
// messages write it) and of its meaning (for the page's readers).
#pragma once

#include <optional>
#include <string>

#include "curve_flags.h"

namespace bestfocus {

// "edge", "flat", "two-peaks", "disagree".
const char* flag_name(Flag flag);

// What the warning means, in a sentence.
const char* flag_meaning(Flag flag);

// The names of the set's flags in kAllFlags order, ';'-separated; empty for no flag.
std::string flag_list(FlagSet flags);

// The set a flag_list wrote; nothing for an unknown name, a repeat, an empty name or another order.
std::optional<FlagSet> parse_flag_list(const std::string& text);

}  // namespace bestfocus
