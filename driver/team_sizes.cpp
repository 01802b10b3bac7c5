#include "team_sizes.h"

int N_threads_ext2 = 8;
int N_threads_ext1 = 2;
int N_threads = 10;
