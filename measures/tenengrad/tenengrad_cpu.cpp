// tenengrad's row sums as a CPU engine measure.
#include "cpu_measure_definition.h"
#include "tenengrad_rows.h"

BESTFOCUS_CPU_MEASURE(tenengrad)
