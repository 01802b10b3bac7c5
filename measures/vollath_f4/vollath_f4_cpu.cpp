// vollath_f4's row sums as a CPU engine measure.
#include "cpu_measure_definition.h"
#include "vollath_f4_rows.h"

BESTFOCUS_CPU_MEASURE(vollath_f4)
