// Team sizes of the three nested levels of threads: their only home. run_stacks (focus/run.h) sets
// them from the run's configuration just before its scan and puts the defaults back after it.
// Every stage of a run (the scan, the engines, the maps) takes its teams from the run's
// configuration instead, so nothing depends on when the globals are put back.
#pragma once

extern int N_threads_ext2;  // outer team: one folder per iteration
extern int N_threads_ext1;  // inner team of each folder: one image per iteration
extern int N_threads;       // host-reduction team inside every measure call

constexpr int kDefaultThreadsExt2 = 8;
constexpr int kDefaultThreadsExt1 = 2;
constexpr int kDefaultThreads = 10;
