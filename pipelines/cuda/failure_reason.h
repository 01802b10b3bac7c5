// Why a measure function could not measure an image, in one line of text.
#pragma once

#include <string>

#include "measure_failure.h"

namespace bestfocus {

// "<call> failed: <error name>: <error text>", the call naming the kernel of a failed launch,
// e.g. "cudaLaunchKernelEx (Calcular_MDCT_Kernel) failed: cudaErrorLaunchFailure: unspecified
// launch failure"; empty when no runtime call failed.
std::string failure_reason(const MeasureFailure& failure);

}  // namespace bestfocus
