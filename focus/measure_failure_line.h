// The line on standard error that says why a measure function could not measure an image.
#pragma once

#include <string>

#include "measure_failure.h"

// "bestfocus: <image>: <call> failed: <error name>: <error text>\n", the call naming the kernel
// of a failed launch; empty when no runtime call failed.
std::string measure_failure_line(const std::string& image_path, const MeasureFailure& failure);
