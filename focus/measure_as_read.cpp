#include "measure_as_read.h"

#include <algorithm>

namespace bestfocus {

TeamMeasurement measure_as_read_on_team(int fd, const StoredRows& stored,
                                        std::vector<std::unique_ptr<BandedMeasure>> parts,
                                        ReadBuffer& buffer) {
    const int team = static_cast<int>(parts.size());
    if (team == 1) {  // on the scan thread, in the memory it keeps for every image it reads
        const bool read = measure_as_read(fd, stored, *parts.front(), buffer);
        return {read, parts.front()->result()};
    }
    const int overlap = parts.front()->overlap_rows();
    const long long height = stored.height;
    bool read = true;
#pragma omp parallel for num_threads(team) schedule(static) reduction(&& : read)
    for (int k = 0; k < team; ++k) {
        const int first = static_cast<int>(height * k / team);
        const int end = static_cast<int>(height * (k + 1) / team);
        const int last_row = static_cast<int>(std::min<long long>(height, end + overlap));
        BandedMeasure& part = *parts[static_cast<std::size_t>(k)];
        part.only_term_rows(first, end);
        // Image rows first <= y < last_row, where the file keeps them.
        const int stored_from = stored.bottom_up ? stored.height - last_row : first;
        const int stored_to = stored.bottom_up ? stored.height - first : last_row;
        thread_local ReadBuffer band;
        read = measure_as_read(fd, stored, part, band, stored_from, stored_to) && read;
    }
    for (int k = 1; k < team; ++k) {
        parts.front()->add_totals(*parts[static_cast<std::size_t>(k)]);
    }
    return {read, parts.front()->result()};
}

}  // namespace bestfocus
