// What the floor programs do to each image (bench/floor_main.cpp): decode_only decodes it with
// OpenCV, read_only reads its bytes and nothing else.
#pragma once

#include <string>

// The image at `path` read; false when it cannot be. `at_depth`: kept at its stored depth
// (IMREAD_ANYDEPTH) rather than reduced to 8-bit grayscale.
bool floor_read(const std::string& path, bool at_depth);

// "decode" or "read", for messages.
extern const char* const kFloorVerb;
