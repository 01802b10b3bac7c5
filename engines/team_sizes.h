// Team sizes of the three nested levels of threads: their only home. Set by parse_command_line
// before the scan, read-only from then on.
#pragma once

extern int N_threads_ext2;  // outer team: one folder per iteration
extern int N_threads_ext1;  // inner team of each folder: one image per iteration
extern int N_threads;       // host-reduction team inside every measure call

constexpr int kDefaultThreadsExt2 = 8;
constexpr int kDefaultThreadsExt1 = 2;
constexpr int kDefaultThreads = 10;
