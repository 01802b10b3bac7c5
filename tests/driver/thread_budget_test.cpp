// The threads a scan's teams have at once, counted by hand, and the limits that refuse them.
#include "thread_budget.h"

#include <gtest/gtest.h>

using namespace bestfocus;

namespace {

std::vector<StackSource> stacks_of(std::vector<int> images) {
    std::vector<StackSource> stacks;
    for (const int count : images) {
        StackSource stack;
        stack.images = count;
        stacks.push_back(stack);
    }
    return stacks;
}

struct DemandCase {
    const char* name;
    TeamSizes teams;
    EngineKind engine;
    std::vector<int> images;  // per stack
    long long threads;
};

// Outer team + inner teams of the folders measured at once + reduction teams of their images.
const DemandCase kDemandCases[] = {
    // 8 outer; 2 folders with 1 more thread each; 4 images at once with 9 more each.
    {"DefaultTeamsOnTheKernels", {8, 2, 10}, EngineKind::kernels, {17, 17}, 8 + 2 + 4 * 9},
    {"DefaultTeamsOnTheCpuEngine", {8, 2, 10}, EngineKind::cpu, {17, 17}, 8 + 2},
    // One image alone: its rows over at most 2 processors.
    {"OneImageOnTheCpuEngine", {8, 2, 10}, EngineKind::cpu, {1}, 8 + 1 + 1},
    // Inner teams no larger than the images they get.
    {"LargeTeamsOverFewImages",
     {1024, 1024, 1024},
     EngineKind::kernels,
     {3, 2},
     1024 + 2 * 1023 + 2 * 3 * 1023},
};

class ThreadsAtOnce : public ::testing::TestWithParam<DemandCase> {};

TEST_P(ThreadsAtOnce, CountsEveryTeamAlive) {
    const DemandCase& c = GetParam();
    EXPECT_EQ(threads_at_once(c.teams, c.engine, stacks_of(c.images), 2), c.threads);
}

INSTANTIATE_TEST_SUITE_P(Teams, ThreadsAtOnce, ::testing::ValuesIn(kDemandCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ThreadLimitProblem, NamesTheFirstLimitExceeded) {
    ThreadLimits limits;
    limits.stack_bytes = 8 << 20;
    EXPECT_FALSE(thread_limit_problem(1000000, limits));
    limits.address_space = 100LL << 20;  // the stacks of 12 threads
    EXPECT_FALSE(thread_limit_problem(12, limits));
    EXPECT_EQ(*thread_limit_problem(13, limits),
              "the 100 MiB of address space the process may still take (RLIMIT_AS) hold the 8 MiB "
              "stacks of 12 threads");
    limits.control_group = 20;
    EXPECT_EQ(*thread_limit_problem(21, limits),
              "the control group may start 20 more tasks (pids.max)");
    limits.processes = 10;
    EXPECT_EQ(*thread_limit_problem(11, limits),
              "the user may start 10 more threads (RLIMIT_NPROC)");
}

}  // namespace
