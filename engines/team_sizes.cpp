#include "team_sizes.h"

int N_threads_ext2 = kDefaultThreadsExt2;
int N_threads_ext1 = kDefaultThreadsExt1;
int N_threads = kDefaultThreads;
