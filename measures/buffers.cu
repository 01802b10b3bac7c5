#include <cuda_runtime.h>

#include <cstdlib>

#include "buffers.h"

bool allocate_buffer(Buffers* buffers, Memory memory, std::size_t bytes, void** pointer) {
    *pointer = nullptr;
    if (bytes == 0) {
        return true;
    }
    if (buffers->count == Buffers::kCapacity) {
        return false;
    }
    bool ok = false;
    switch (memory) {
        case Memory::Device: ok = cudaMalloc(pointer, bytes) == cudaSuccess; break;
        case Memory::PageLocked: ok = cudaMallocHost(pointer, bytes) == cudaSuccess; break;
        case Memory::Pageable:
            *pointer = std::malloc(bytes);
            ok = *pointer != nullptr;
            break;
    }
    if (!ok) {
        *pointer = nullptr;
        return false;
    }
    buffers->pointers[buffers->count] = *pointer;
    buffers->memories[buffers->count] = memory;
    ++buffers->count;
    return true;
}

bool release_buffers(Buffers* buffers) {
    bool ok = true;
    for (int i = 0; i < buffers->count; ++i) {
        switch (buffers->memories[i]) {
            case Memory::Device: ok = cudaFree(buffers->pointers[i]) == cudaSuccess && ok; break;
            case Memory::PageLocked:
                ok = cudaFreeHost(buffers->pointers[i]) == cudaSuccess && ok;
                break;
            case Memory::Pageable: std::free(buffers->pointers[i]); break;
        }
    }
    buffers->count = 0;
    return ok;
}
