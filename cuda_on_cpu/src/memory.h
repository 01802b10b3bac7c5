// Tracked "device" and page-locked allocations. Both are ordinary host memory here; the tracking
// lets copies and memsets refuse pointers and sizes that a GPU would refuse or corrupt.
#pragma once

#include <cstddef>

namespace cuda_on_cpu::detail {

enum class Space { Device, Pinned };

enum class Location {
    Device,   // inside one live device allocation
    Pinned,   // inside one live page-locked allocation
    Host,     // not in any tracked allocation: ordinary host memory
    Overrun,  // starts in a tracked allocation but runs past its end
};

// Where the n bytes from p lie.
Location locate(const void* p, std::size_t n);

}  // namespace cuda_on_cpu::detail
