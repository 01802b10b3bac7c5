#include "thread_budget.h"

#include <omp.h>
#include <pthread.h>
#include <sys/resource.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <fstream>

#include "team_sizes.h"

namespace bestfocus {

namespace {

// A guard page and the thread's own data besides its stack.
constexpr long long kThreadOverhead = 64 * 1024;

long long soft_limit(int resource) {
    rlimit limit{};
    if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return -1;
    return static_cast<long long>(std::min<rlim_t>(limit.rlim_cur, LLONG_MAX));
}

// The first number of the file, or -1 (also for "max").
long long first_number(const char* path) {
    std::ifstream file(path);
    long long value = -1;
    if (!(file >> value) || value < 0) return -1;
    return value;
}

// Field `name` ("Threads:", "VmSize:") of /proc/self/status, or 0.
long long status_field(const std::string& name) {
    std::ifstream status("/proc/self/status");
    for (std::string word; status >> word;) {
        if (word == name) {
            long long value = 0;
            status >> value;
            return value;
        }
    }
    return 0;
}

// OMP_STACKSIZE (or GOMP_STACKSIZE) as libgomp reads it: a size in KiB unless a B, K, M or G
// follows; 0 when unset or not such a size (libgomp then keeps the default).
long long openmp_stack_bytes() {
    for (const char* name : {"OMP_STACKSIZE", "GOMP_STACKSIZE"}) {
        const char* text = std::getenv(name);
        if (text == nullptr) continue;
        char* end = nullptr;
        const unsigned long long size = std::strtoull(text, &end, 10);
        if (end == text || size > (1ULL << 40)) return 0;
        const char unit = *end == '\0' ? 'k' : static_cast<char>(std::tolower(*end));
        const std::string units = "bkmg";  // shifts of 0, 10, 20 and 30 bits
        const std::size_t index = units.find(unit);
        if (index == std::string::npos || (*end != '\0' && end[1] != '\0')) return 0;
        return static_cast<long long>(size << (10 * index));
    }
    return 0;
}

long long default_stack_bytes() {
    pthread_attr_t attributes;
    std::size_t size = 8 << 20;
    if (pthread_getattr_default_np(&attributes) == 0) {
        pthread_attr_getstacksize(&attributes, &size);
        pthread_attr_destroy(&attributes);
    }
    return static_cast<long long>(size);
}

// The tasks the pids controller still lets the process's control group start, or -1: a line
// "0::/path" (version 2) or "N:...pids...:/path" (version 1) of /proc/self/cgroup names it.
long long control_group_pids_left() {
    std::ifstream groups("/proc/self/cgroup");
    for (std::string line; std::getline(groups, line);) {
        const std::size_t first = line.find(':');
        const std::size_t second = line.find(':', first + 1);
        if (first == std::string::npos || second == std::string::npos) continue;
        const std::string controllers = line.substr(first + 1, second - first - 1);
        std::string folder = "/sys/fs/cgroup";
        if (controllers.empty() && line.compare(0, first, "0") == 0) {
            folder += line.substr(second + 1);
        } else if (("," + controllers + ",").find(",pids,") != std::string::npos) {
            folder += "/pids" + line.substr(second + 1);
        } else {
            continue;
        }
        const long long most = first_number((folder + "/pids.max").c_str());  // "max": -1
        const long long now = first_number((folder + "/pids.current").c_str());
        if (most >= 0 && now >= 0) return std::max(0LL, most - now);
    }
    return -1;
}

std::string mebibytes(long long bytes) { return std::to_string(bytes >> 20) + " MiB"; }

}  // namespace

ThreadLimits current_thread_limits() {
    ThreadLimits limits;
    const int openmp = omp_get_thread_limit();
    limits.openmp = openmp == INT_MAX ? -1 : openmp;
    const long long threads_now = status_field("Threads:");
    // The superuser's threads are not counted against RLIMIT_NPROC.
    // Counted for root too: root in a user namespace is held to it, and elsewhere the limit is
    // far above any teams the check lets through.
    if (const long long processes = soft_limit(RLIMIT_NPROC); processes >= 0) {
        limits.processes = std::max(0LL, processes - threads_now);
    }
    limits.control_group = control_group_pids_left();
    limits.system = first_number("/proc/sys/kernel/threads-max");
    if (const long long address_space = soft_limit(RLIMIT_AS); address_space >= 0) {
        limits.address_space = std::max(0LL, address_space - status_field("VmSize:") * 1024);
    }
    const long long openmp_stack = openmp_stack_bytes();
    limits.stack_bytes =
        (openmp_stack > 0 ? openmp_stack : default_stack_bytes()) + kThreadOverhead;
    return limits;
}

long long threads_at_once(const TeamSizes& teams, EngineKind engine,
                          const std::vector<StackSource>& stacks, int processors) {
    long long images = 0;
    int most_images = 0;
    for (const StackSource& stack : stacks) {
        images += stack.images;
        most_images = std::max(most_images, stack.images);
    }
    const long long reduction = engine == EngineKind::kernels ? teams.threads
                                : images == 1                 ? std::min(teams.threads, processors)
                                                              : 1;
    const long long folders_at_once =
        std::min<long long>(teams.threads_ext2, static_cast<long long>(stacks.size()));
    const long long images_at_once =
        folders_at_once * std::min(teams.threads_ext1, std::max(most_images, 1));
    return teams.threads_ext2 + folders_at_once * (teams.threads_ext1 - 1) +
           images_at_once * (reduction - 1);
}

long long threads_at_once(int threads, EngineKind engine, long long images, int processors) {
    const long long reduction = engine == EngineKind::kernels ? kDefaultThreads
                                : images == 1 ? std::min(kDefaultThreads, processors)
                                              : 1;
    return threads + std::min<long long>(threads, images) * (reduction - 1);
}

std::optional<std::string> thread_limit_problem(long long threads, const ThreadLimits& limits) {
    if (limits.openmp >= 0 && threads > limits.openmp) {
        return "OpenMP allows " + std::to_string(limits.openmp) + " threads (OMP_THREAD_LIMIT)";
    }
    if (limits.processes >= 0 && threads > limits.processes) {
        return "the user may start " + std::to_string(limits.processes) +
               " more threads (RLIMIT_NPROC)";
    }
    if (limits.control_group >= 0 && threads > limits.control_group) {
        return "the control group may start " + std::to_string(limits.control_group) +
               " more tasks (pids.max)";
    }
    if (limits.system >= 0 && threads > limits.system) {
        return "the system runs at most " + std::to_string(limits.system) +
               " threads (kernel.threads-max)";
    }
    if (limits.address_space >= 0 && limits.stack_bytes > 0 &&
        threads > limits.address_space / limits.stack_bytes) {
        return "the " + mebibytes(limits.address_space) +
               " of address space the process may still take (RLIMIT_AS) hold the " +
               mebibytes(limits.stack_bytes) + " stacks of " +
               std::to_string(limits.address_space / limits.stack_bytes) + " threads";
    }
    return std::nullopt;
}

}  // namespace bestfocus
