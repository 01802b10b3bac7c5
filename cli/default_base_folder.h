// Where the tool looks for stacks when no base folder is given.
#pragma once

#include <string>

namespace bestfocus {

// "<folder of the running executable>/sample_stacks/": the build writes the sample stacks beside
// the executable, so a build tree still finds them after being moved or copied. "sample_stacks/"
// (in the working folder) when the executable's path cannot be read.
std::string default_base_folder();

}  // namespace bestfocus
