// tenengrad_variance's row sums as a CPU engine measure.
#include "cpu_measure_definition.h"
#include "tenengrad_variance_rows.h"

BESTFOCUS_CPU_SUMS_MEASURE(tenengrad_variance)
