// An input the run needs is not there: raised in Python as FileNotFoundError.
#pragma once

#include <stdexcept>

namespace bestfocus::python {

struct MissingFileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

}  // namespace bestfocus::python
