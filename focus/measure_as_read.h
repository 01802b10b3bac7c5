// An image measured as its rows are read: a band of rows at a time into a little memory the scan
// thread keeps, each band measured while its pixels are still in the processor's cache.
#pragma once

#include "banded_measure.h"
#include "read_buffer.h"
#include "stored_rows.h"

namespace bestfocus {

// Reads every stored row of the file (`fd`) into the buffer, a band at a time, and adds each band
// to the measure. False when the file ends before its rows or cannot be read.
bool measure_as_read(int fd, const StoredRows& stored, BandedMeasure& measure,
                     ReadBuffer& buffer);

}  // namespace bestfocus
