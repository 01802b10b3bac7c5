// An image measured as its rows are read: a band of rows at a time into a little memory the scan
// thread keeps, each band measured while its pixels are still in the processor's cache.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

#include "banded_measure.h"
#include "read_buffer.h"
#include "stored_rows.h"

namespace bestfocus {

// Bytes of file read at a time: enough that a read's fixed cost is small beside its copy, few
// enough that the band is still in the second-level cache when it is measured, however many
// scan threads share a core.
constexpr std::size_t kBandBytes = std::size_t{256} << 10;

// Reads the stored rows `from` <= row < `to` of the file (`fd`; to < 0: every stored row) into the
// buffer, a band at a time, and adds each band to the measure (a BandedMeasure, or anything with
// its overlap_rows() and add()). False when the file ends before its rows or cannot be read.
template <class Bands>
bool measure_as_read(int fd, const StoredRows& stored, Bands& measure, ReadBuffer& buffer,
                     int from = 0, int to = -1) {
    to = to < 0 ? stored.height : to;
    const int overlap = measure.overlap_rows();
    const std::size_t pitch = stored.pitch;
    const int band_rows = std::max<int>(overlap + 1, static_cast<int>(kBandBytes / pitch));
    unsigned char* const memory =
        buffer.at_least(pitch * static_cast<std::size_t>(band_rows) + kPageBytes);
    // Each band's rows begin where the file's bytes from its first row on land best.
    const auto band_at = [&](int first_row) {
        return memory + landing_offset(stored.offset + pitch * static_cast<std::size_t>(first_row));
    };
    int first = from;  // the stored row at the band's start
    int held = 0;      // stored rows in the band, kept from the band before
    unsigned char* rows = band_at(first);
    while (first + held < to) {
        const int count = std::min(band_rows - held, to - first - held);
        if (!read_stored_rows(fd, stored, first + held, count,
                              rows + pitch * static_cast<std::size_t>(held))) {
            return false;
        }
        held += count;
        const RowBand band = stored_band(stored, rows, first, held);
        measure.add(band.view, band.first_row);
        // The band's last rows begin the next one, for the terms that read across both.
        const int kept = std::min(overlap, held);
        unsigned char* const next = band_at(first + held - kept);
        std::memmove(next, rows + pitch * static_cast<std::size_t>(held - kept),
                     pitch * static_cast<std::size_t>(kept));
        rows = next;
        first += held - kept;
        held = kept;
    }
    return true;
}

// A run's lone image measured as it is read by a team of one thread a part (`parts`, the measures
// of the image's methods): its term rows cut into one contiguous part per thread, each thread
// reading its part's rows (and those its last terms reach below) a band at a time into memory of
// its own, so the memory a run takes does not grow with the image; a team of one reads into
// `buffer`. `read` is false when the file ends before its rows or cannot be read.
struct TeamMeasurement {
    bool read = true;
    Measurement measurement;
};
TeamMeasurement measure_as_read_on_team(int fd, const StoredRows& stored,
                                        std::vector<std::unique_ptr<BandedMeasure>> parts,
                                        ReadBuffer& buffer);

}  // namespace bestfocus
