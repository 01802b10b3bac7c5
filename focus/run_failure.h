// Why a run cannot finish, as the front end shows it.
#pragma once

#include <string>

namespace bestfocus {

struct RunFailure {
    std::string message;     // for standard output, in the tool's words: "\n..." with no newline
                             // at the end (empty: nothing printed there)
    std::string diagnostic;  // for standard error: English lines, each ending in "\n"; may be empty
    int status = 1;
};

}  // namespace bestfocus
