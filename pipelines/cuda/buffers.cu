#include <cstdlib>

#include "buffers.h"
#include "runtime_check.h"

namespace bestfocus {

bool allocate_memory(Memory memory, std::size_t bytes, void** pointer) {
    *pointer = nullptr;
    if (bytes == 0) {
        return true;
    }
    bool allocated = false;
    switch (memory) {
        case Memory::Device: allocated = ok(cudaMalloc(pointer, bytes), "cudaMalloc"); break;
        case Memory::PageLocked:
            allocated = ok(cudaMallocHost(pointer, bytes), "cudaMallocHost");
            break;
        case Memory::Pageable:
            *pointer = std::malloc(bytes);
            allocated = *pointer != nullptr || host_allocation_failed();
            break;
    }
    if (!allocated) {
        *pointer = nullptr;
    }
    return allocated;
}

void free_memory(Memory memory, void* pointer) {
    if (pointer == nullptr) {
        return;
    }
    switch (memory) {
        case Memory::Device: ok(cudaFree(pointer), "cudaFree"); break;
        case Memory::PageLocked: ok(cudaFreeHost(pointer), "cudaFreeHost"); break;
        case Memory::Pageable: std::free(pointer); break;
    }
}

}  // namespace bestfocus
