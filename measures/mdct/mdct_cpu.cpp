// mdct's row sums as a CPU engine measure.
#include "cpu_measure_definition.h"
#include "mdct_rows.h"

BESTFOCUS_CPU_MEASURE(mdct)
