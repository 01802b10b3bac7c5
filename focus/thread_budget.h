// Threads a run's teams create at once, checked before any work against what the process may
// create: a count beyond it would end inside OpenMP ("Thread creation failed", or out of memory
// for the stacks), where no message can be given and nothing is cleaned up.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine.h"
#include "run_config.h"
#include "stack_sources.h"

namespace bestfocus {

// What bounds the threads of this process; -1: no bound.
struct ThreadLimits {
    long long openmp = -1;         // omp_get_thread_limit() (OMP_THREAD_LIMIT)
    long long processes = -1;      // RLIMIT_NPROC, less the threads this process has
    long long control_group = -1;  // pids.max of the process's control group, less pids.current
    long long system = -1;         // kernel.threads-max
    long long address_space = -1;  // bytes RLIMIT_AS leaves to this process
    long long stack_bytes = 0;     // the address space each new thread takes (its stack)
};

ThreadLimits current_thread_limits();

// Threads alive at most during the scan: the outer team, an inner team for each folder measured
// at once and a reduction team for each image measured at once (the kernels always; the CPU
// engine only for a run of one image, of at most `processors` threads).
long long threads_at_once(const TeamSizes& teams, EngineKind engine,
                          const std::vector<StackSource>& stacks, int processors);

// Threads alive at most while `threads` threads measure `images` images held in memory, each
// measure's reduction team at its default size.
long long threads_at_once(int threads, EngineKind engine, long long images, int processors);

// Nothing when `threads` fit every limit; otherwise what they exceed, in English: "the 6 GiB of
// address space the process may still take (RLIMIT_AS) hold the stacks of 760 threads".
std::optional<std::string> thread_limit_problem(long long threads, const ThreadLimits& limits);

}  // namespace bestfocus
