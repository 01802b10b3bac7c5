// The buffers one measure call owns: allocated one by one, all released together before it
// returns, whether it succeeded or not.
#pragma once

#include <cstddef>

enum class Memory {
    Device,      // cudaMalloc
    PageLocked,  // cudaMallocHost
    Pageable,    // malloc
};

struct Buffers {
    static constexpr int kCapacity = 10;
    void* pointers[kCapacity];
    Memory memories[kCapacity];
    int count;
};

// An empty list; call release_buffers on it before leaving the measure.
inline Buffers no_buffers() { return Buffers{{}, {}, 0}; }

// Allocates bytes of the given memory into *pointer and records it in buffers. A size of 0 gives
// nullptr without asking the runtime: an empty partial-sum array is never read or written.
// False on failure, with *pointer == nullptr.
bool allocate_buffer(Buffers* buffers, Memory memory, std::size_t bytes, void** pointer);

template <class T>
bool allocate_buffer(Buffers* buffers, Memory memory, std::size_t bytes, T** pointer) {
    void* raw = nullptr;
    const bool ok = allocate_buffer(buffers, memory, bytes, &raw);
    *pointer = static_cast<T*>(raw);
    return ok;
}

// Frees every recorded buffer in allocation order and empties the list. False if the runtime
// refused to free one.
bool release_buffers(Buffers* buffers);
