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

// The English line that follows a message of standard output on standard error, once standard
// output is flushed: "No se puede abrir el archivo: a.bmp" becomes "bestfocus: cannot open the
// file a.bmp\n". Every message the tool prints has its translation here, and only here; a text
// without one is given as it stands, after "bestfocus: ".
std::string english_line(const std::string& message);

}  // namespace bestfocus
