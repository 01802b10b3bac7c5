// brenner's row sums as a CPU engine measure.
#include "brenner_rows.h"
#include "cpu_measure_definition.h"

BESTFOCUS_CPU_MEASURE(brenner)
