// What --version prints: the tool, its build, the engine auto chooses here and why, and OpenCV.
#pragma once

#include <string>

namespace bestfocus {

std::string version_text();

}  // namespace bestfocus
