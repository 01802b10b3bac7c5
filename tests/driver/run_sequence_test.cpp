// The one run of every front end: where it stops, and the team sizes each scan sees.
#include <gtest/gtest.h>

#include <mutex>
#include <set>
#include <thread>
#include <tuple>

#include "run.h"
#include "team_sizes.h"
#include "test_support.h"

using namespace bestfocus;

namespace {

using Teams = std::tuple<int, int, int>;

Teams global_teams() { return {N_threads_ext2, N_threads_ext1, N_threads}; }

class RunSequence : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* folder : {"001", "002", "003"}) {
            write_test_stack(stacks_.path(), folder, {10, 30, 20});
        }
        config_.base_folder = stacks_.path();
        config_.first_folder = 1;
        config_.last_folder = 3;
        config_.images_per_stack = 3;
        config_.engine = EngineChoice::cpu;
    }
    TemporaryFolder stacks_;
    RunConfig config_;
};

struct StopCase {
    const char* name;
    void (*change)(RunConfig*);
    bool listener_says_no;
    RunStop stop;
};

const StopCase kStopCases[] = {
    {"ToTheEnd", [](RunConfig*) {}, false, RunStop::none},
    {"TeamOfNone", [](RunConfig* c) { c->teams.threads_ext1 = 0; }, false, RunStop::invalid_config},
    {"MissingFolder", [](RunConfig* c) { c->last_folder = 4; }, false, RunStop::missing_input},
    {"ListenerSaysNo", [](RunConfig*) {}, true, RunStop::by_listener},
    {"TileTablesBeyondMemory",
     [](RunConfig* c) {
         c->tiles = TileGrid{1 << 20, 1 << 20};
     },
     false, RunStop::tile_tables_too_large},
};

class RunStops : public RunSequence, public ::testing::WithParamInterface<StopCase> {};

TEST_P(RunStops, AtTheFirstStepThatFails) {
    GetParam().change(&config_);
    RunListener listener;
    bool checked = false;
    listener.inputs_checked = [&](const std::vector<StackSource>& stacks) {
        checked = true;
        EXPECT_EQ(stacks.size(), 3u);
        return !GetParam().listener_says_no;
    };
    const RunResults run = run_stacks(config_, listener);
    EXPECT_EQ(run.stop, GetParam().stop);
    EXPECT_EQ(checked, run.stop == RunStop::none || run.stop == RunStop::by_listener);
    EXPECT_EQ(run.folders.size(), run.stop == RunStop::none ? 3u : 0u);
    if (run.stop == RunStop::none) {
        EXPECT_EQ(run.folders[2].methods[0].best_number, 2);
    }
}

INSTANTIATE_TEST_SUITE_P(Stops, RunStops, ::testing::ValuesIn(kStopCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Two runs of one process at once, as two Python threads make them: each scan sees its own
// teams throughout, and the defaults are back afterwards.
TEST_F(RunSequence, ConcurrentRunsEachScanWithTheirOwnTeams) {
    const Teams asked[] = {{3, 2, 5}, {1, 3, 7}};
    std::mutex mutex;
    std::set<Teams> seen[2];
    std::vector<std::thread> threads;
    for (int r = 0; r < 2; ++r) {
        threads.emplace_back([&, r] {
            for (int repetition = 0; repetition < 20; ++repetition) {
                RunConfig config = config_;
                std::tie(config.teams.threads_ext2, config.teams.threads_ext1,
                         config.teams.threads) = asked[r];
                RunListener listener;
                listener.stack_done = [&] {
                    std::lock_guard<std::mutex> lock(mutex);
                    seen[r].insert(global_teams());
                };
                EXPECT_EQ(run_stacks(config, listener).stop, RunStop::none);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int r = 0; r < 2; ++r) {
        EXPECT_EQ(seen[r], std::set<Teams>{asked[r]});
    }
    EXPECT_EQ(global_teams(), Teams(kDefaultThreadsExt2, kDefaultThreadsExt1, kDefaultThreads));
}

}  // namespace
