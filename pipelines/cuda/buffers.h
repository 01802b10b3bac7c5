// Owners of the buffers of one measure call: each frees its buffer when it goes out of scope, so
// every way out of a measure function leaves nothing allocated. A failed allocation or free is
// noted as the call's failure (runtime_check.h).
#pragma once

#include <cuda_runtime.h>

#include <cstddef>

namespace bestfocus {

enum class Memory {
    Device,      // cudaMalloc
    PageLocked,  // cudaMallocHost
    Pageable,    // malloc
};

// Allocates bytes of the memory into *pointer; 0 bytes give nullptr without asking for memory
// (an empty partial-sum array is never read or written). False on failure, *pointer nullptr.
bool allocate_memory(Memory memory, std::size_t bytes, void** pointer);

// Frees what allocate_memory gave (nullptr included).
void free_memory(Memory memory, void* pointer);

template <class T, Memory kMemory>
class Buffer {
  public:
    Buffer() = default;
    ~Buffer() { free_memory(kMemory, pointer_); }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;

    // Room for count elements; false on failure. Called once per buffer.
    bool allocate(std::size_t count) {
        void* raw = nullptr;
        const bool allocated = allocate_memory(kMemory, sizeof(T) * count, &raw);
        pointer_ = static_cast<T*>(raw);
        return allocated;
    }

    T* get() const { return pointer_; }

  private:
    T* pointer_ = nullptr;
};

template <class T>
using DeviceBuffer = Buffer<T, Memory::Device>;
template <class T>
using PageLockedBuffer = Buffer<T, Memory::PageLocked>;
template <class T>
using PageableBuffer = Buffer<T, Memory::Pageable>;

// Declared after a call's buffers, so destroyed before them: unless the call got to the end of
// its device work, work already issued on the stream may still use the buffers, and is waited
// for before they are freed. Its status no longer matters: the call has failed.
class WaitForIssuedWork {
  public:
    explicit WaitForIssuedWork(cudaStream_t stream) : stream_(stream) {}
    ~WaitForIssuedWork() {
        if (!finished_) {
            (void)cudaStreamSynchronize(stream_);
        }
    }
    WaitForIssuedWork(const WaitForIssuedWork&) = delete;
    WaitForIssuedWork& operator=(const WaitForIssuedWork&) = delete;

    // The device work is done: nothing to wait for.
    void finished() { finished_ = true; }

  private:
    cudaStream_t stream_;
    bool finished_ = false;
};

}  // namespace bestfocus
