#include "measure_as_read.h"

#include <algorithm>
#include <cstring>

namespace bestfocus {

namespace {

// Bytes of file read at a time: enough that a read's fixed cost is small beside its copy, few
// enough that the band is still in the second-level cache when it is measured, however many
// scan threads share a core.
constexpr std::size_t kBandBytes = std::size_t{256} << 10;

}  // namespace

bool measure_as_read(int fd, const StoredRows& stored, BandedMeasure& measure, ReadBuffer& buffer,
                     int from, int to) {
    to = to < 0 ? stored.height : to;
    const int overlap = measure.overlap_rows();
    const int band_rows = std::max<int>(overlap + 1, static_cast<int>(kBandBytes / stored.pitch));
    unsigned char* rows = buffer.at_least(stored.pitch * static_cast<std::size_t>(band_rows));
    int first = from;  // the stored row at the buffer's start
    int held = 0;      // stored rows in the buffer, kept from the band before
    while (first + held < to) {
        const int count = std::min(band_rows - held, to - first - held);
        if (!read_stored_rows(fd, stored, first + held, count,
                              rows + stored.pitch * static_cast<std::size_t>(held))) {
            return false;
        }
        held += count;
        const RowBand band = stored_band(stored, rows, first, held);
        measure.add(band.view, band.first_row);
        // The band's last rows begin the next one, for the terms that read across both.
        const int kept = std::min(overlap, held);
        std::memmove(rows, rows + stored.pitch * static_cast<std::size_t>(held - kept),
                     stored.pitch * static_cast<std::size_t>(kept));
        first += held - kept;
        held = kept;
    }
    return true;
}

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
