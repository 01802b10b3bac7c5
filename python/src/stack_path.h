// The path read_stack() is given, checked before anything there is opened: an empty path would be
// read as the root folder, and a FIFO or a device is neither a folder nor a file of pages.
#pragma once

#include <string>

namespace bestfocus::python {

// Raises ValueError for an empty path, one longer than PATH_MAX or anything but a folder or a
// regular file there, FileNotFoundError when nothing is there, each naming the path.
void check_stack_path(const std::string& path);

}  // namespace bestfocus::python
