// A file's bytes read or written whole, for tests and their helpers (no other dependency, so that
// the fuzz targets' seed writers can use it too).
#pragma once

#include <string>

// The file's bytes; empty when it cannot be read.
std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);
