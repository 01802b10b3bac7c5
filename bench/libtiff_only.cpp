// A C++ program linked only with libtiff that exits at once: the start-up that `bestfocus
// --version` is compared with (bench/compare_start_up.sh).
#include <tiffio.h>

int main() { return TIFFGetVersion() == nullptr ? 1 : 0; }
