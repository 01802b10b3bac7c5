// The grid-size function of the kernels.
#pragma once

// Number of blocks of size b that cover a elements (a ceiling division; iDivUp(-1, 32) is 1).
int iDivUp(int a, int b);
