#include "run_teams.h"

#include <omp.h>

#include "team_sizes.h"

namespace bestfocus {

namespace {

std::shared_mutex& team_sizes_mutex() {
    static std::shared_mutex mutex;
    return mutex;
}

void set_team_sizes(const TeamSizes& teams) {
    N_threads_ext2 = teams.threads_ext2;
    N_threads_ext1 = teams.threads_ext1;
    N_threads = teams.threads;
}

}  // namespace

void allow_nested_teams() { omp_set_max_active_levels(omp_get_supported_active_levels()); }

RunTeams::RunTeams(const TeamSizes& teams) : lock_(team_sizes_mutex()) { set_team_sizes(teams); }

RunTeams::~RunTeams() { set_team_sizes(TeamSizes{}); }

DefaultTeams::DefaultTeams() : lock_(team_sizes_mutex()) { allow_nested_teams(); }

}  // namespace bestfocus
