// The team sizes of team_sizes.h are process-wide globals, read wherever teams are formed. A run
// holds them alone from setting them until its scan has ended; a measurement outside any run (of
// images a front end holds in memory) holds them shared, at their defaults. So runs in one process
// take turns, each with its own teams, and a run and such measurements wait for each other.
#pragma once

#include <mutex>
#include <shared_mutex>

#include "run_config.h"

namespace bestfocus {

// Lets teams nest at every level OpenMP supports: the inner teams and the measures' reduction teams
// run inside the outer team, and the kernels' values follow the reduction team's size.
void allow_nested_teams();

// Sets the globals to the run's team sizes; puts the defaults back when destroyed.
class RunTeams {
  public:
    explicit RunTeams(const TeamSizes& teams);
    ~RunTeams();
    RunTeams(const RunTeams&) = delete;
    RunTeams& operator=(const RunTeams&) = delete;

  private:
    std::unique_lock<std::shared_mutex> lock_;
};

// The globals at their defaults for as long as it lives, nested teams allowed.
class DefaultTeams {
  public:
    DefaultTeams();

  private:
    std::shared_lock<std::shared_mutex> lock_;
};

}  // namespace bestfocus
