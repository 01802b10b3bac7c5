// sum_modified_laplacian's row sums as a CPU engine measure.
#include "cpu_measure_definition.h"
#include "sum_modified_laplacian_rows.h"

BESTFOCUS_CPU_MEASURE(sum_modified_laplacian)
