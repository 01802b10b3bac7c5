// vollath_f5's row sums as a CPU engine measure.
#include "cpu_measure_definition.h"
#include "vollath_f5_rows.h"

BESTFOCUS_CPU_SUMS_MEASURE(vollath_f5)
