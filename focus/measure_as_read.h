// An image measured as its rows are read: a band of rows at a time into a little memory the scan
// thread keeps, each band measured while its pixels are still in the processor's cache.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "banded_measure.h"
#include "read_buffer.h"
#include "stored_rows.h"

namespace bestfocus {

// Bytes of file read at a time: enough that a read's fixed cost is small beside its copy, few
// enough that the band is still in the second-level cache when it is measured, however many
// scan threads share a core.
constexpr std::size_t kBandBytes = std::size_t{256} << 10;

// Reads every stored row of the file (`fd`) into the buffer, a band at a time, and adds each band
// to the measure (a BandedMeasure, or anything with its overlap_rows() and add()). False when the
// file ends before its rows or cannot be read.
template <class Bands>
bool measure_as_read(int fd, const StoredRows& stored, Bands& measure, ReadBuffer& buffer) {
    const int overlap = measure.overlap_rows();
    const int band_rows = std::max<int>(overlap + 1, static_cast<int>(kBandBytes / stored.pitch));
    unsigned char* rows = buffer.at_least(stored.pitch * static_cast<std::size_t>(band_rows));
    int first = 0;  // the stored row at the buffer's start
    int held = 0;   // stored rows in the buffer, kept from the band before
    while (first + held < stored.height) {
        const int count = std::min(band_rows - held, stored.height - first - held);
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

}  // namespace bestfocus
