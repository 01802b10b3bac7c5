// An image measured as its rows are read: a band of rows at a time into a little memory the scan
// thread keeps, each band measured while its pixels are still in the processor's cache.
#pragma once

#include <memory>
#include <vector>

#include "banded_measure.h"
#include "read_buffer.h"
#include "stored_rows.h"

namespace bestfocus {

// Reads the stored rows `from` <= row < `to` of the file (`fd`; to < 0: every stored row) into the
// buffer, a band at a time, and adds each band to the measure. False when the file ends before its
// rows or cannot be read.
bool measure_as_read(int fd, const StoredRows& stored, BandedMeasure& measure, ReadBuffer& buffer,
                     int from = 0, int to = -1);

// A run's lone image measured as it is read by a team of one thread a part (`parts`, the measures
// of the image's methods): its term rows cut into one contiguous part per thread, each thread
// reading its part's rows (and those its last terms
// reach below) a band at a time into memory of its own, so the memory a run takes does not grow
// with the image; a team of one reads into `buffer`. `read` is false when the file ends before its
// rows or cannot be read.
struct TeamMeasurement {
    bool read = true;
    Measurement measurement;
};
TeamMeasurement measure_as_read_on_team(int fd, const StoredRows& stored,
                                        std::vector<std::unique_ptr<BandedMeasure>> parts,
                                        ReadBuffer& buffer);

}  // namespace bestfocus
