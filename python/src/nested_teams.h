// The executable's OpenMP setting, which the kernels' values depend on: their host reductions
// run as teams of N_threads nested inside the teams that measure images at once (the sums'
// order, and so their last bits, follow the team size).
#pragma once

#include <omp.h>

namespace bestfocus::python {

inline void allow_nested_teams() { omp_set_max_active_levels(omp_get_supported_active_levels()); }

}  // namespace bestfocus::python
