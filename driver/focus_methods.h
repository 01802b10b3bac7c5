// The focus measures the command line can choose, by method code from 1 upward.
#pragma once

// An 8-bit measure: (pixels, width, height, host threads) -> focus value, larger is sharper.
using MeasureFunction = double (*)(const unsigned char* pixels, int width, int height,
                                   int host_threads);

// Method codes run from 1 to method_count().
int method_count();

// The measure and the name of a method code in 1..method_count().
MeasureFunction method_measure(int method);
const char* method_name(int method);
