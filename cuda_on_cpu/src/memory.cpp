#include "memory.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <mutex>

#include "errors.h"
#include "fault_injection.h"
#include "runtime_options.h"

namespace cuda_on_cpu {
namespace detail {
namespace {

constexpr std::size_t kAlignment = 256;  // as cudaMalloc guarantees
// Freed blocks are kept mapped for reuse up to this many bytes in all, so that a measure that
// allocates the same sizes for every image does not pay fresh page faults every time.
constexpr std::size_t kCacheLimit = std::size_t{2} << 30;

// Capacity handed out for a request: multiples of 256 bytes up to 64 KiB, then eight steps per
// power of two, so that repeated requests of nearby sizes share cached blocks (at most 12.5%
// slack).
std::size_t capacity_for(std::size_t size) {
    if (size <= (std::size_t{64} << 10)) return (size + kAlignment - 1) / kAlignment * kAlignment;
    std::size_t power = std::size_t{1} << (63 - __builtin_clzll(size));
    const std::size_t step = power / 8;
    return (size + step - 1) / step * step;
}

struct Allocation {
    std::size_t size;
    std::size_t capacity;
    Space space;
};

// Under memcheck every block has exactly the requested size and goes back to the system allocator
// when freed: AddressSanitizer's red zones then start right after the last requested byte, and its
// quarantine holds freed blocks, so a one-element overrun or a use after free is reported at the
// access instead of landing in slack or in a cached block.
class Heap {
  public:
    void* allocate(std::size_t size, Space space) {
        const std::size_t capacity = exact_sizes_ ? size : capacity_for(size);
        std::lock_guard<std::mutex> lock(mutex_);
        void* p = nullptr;
        auto cached = cache_.find(capacity);
        if (cached != cache_.end()) {
            p = cached->second;
            cache_.erase(cached);
            cached_bytes_ -= capacity;
        } else if (posix_memalign(&p, kAlignment, capacity) != 0) {
            return nullptr;
        }
        live_.emplace(address(p), Allocation{size, capacity, space});
        return p;
    }

    // False when p is not the start of a live allocation of that space.
    bool release(void* p, Space space) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = live_.find(address(p));
        if (it == live_.end() || it->second.space != space) return false;
        const std::size_t capacity = it->second.capacity;
        live_.erase(it);
        if (!exact_sizes_ && cached_bytes_ + capacity <= kCacheLimit) {
            cache_.emplace(capacity, p);
            cached_bytes_ += capacity;
        } else {
            std::free(p);
        }
        return true;
    }

    Location locate(const void* p, std::size_t n) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = containing(p);
        if (it == live_.end()) return Location::Host;
        if (n > it->second.size - (address(p) - it->first)) return Location::Overrun;
        return it->second.space == Space::Device ? Location::Device : Location::Pinned;
    }

    testing::LiveAllocations live() {
        std::lock_guard<std::mutex> lock(mutex_);
        testing::LiveAllocations totals;
        for (const auto& entry : live_) {
            const Allocation& a = entry.second;
            if (a.space == Space::Device) {
                ++totals.device_count;
                totals.device_bytes += a.size;
            } else {
                ++totals.pinned_count;
                totals.pinned_bytes += a.size;
            }
        }
        return totals;
    }

  private:
    static std::uintptr_t address(const void* p) { return reinterpret_cast<std::uintptr_t>(p); }

    // The live allocation whose bytes include p, or end(). Caller holds the mutex.
    std::map<std::uintptr_t, Allocation>::const_iterator containing(const void* p) const {
        auto it = live_.upper_bound(address(p));
        if (it == live_.begin()) return live_.end();
        --it;
        return address(p) - it->first < it->second.size ? it : live_.end();
    }

    const bool exact_sizes_ = runtime_options().memcheck;
    std::mutex mutex_;
    std::map<std::uintptr_t, Allocation> live_;  // by start address
    std::multimap<std::size_t, void*> cache_;    // freed blocks by capacity
    std::size_t cached_bytes_ = 0;
};

// Never destroyed: worker threads and late frees may still reach it while the process exits.
Heap& heap() {
    static Heap* instance = new Heap;
    return *instance;
}

cudaError_t allocate(void** ptr, std::size_t size, Space space) {
    if (ptr == nullptr) return record(cudaErrorInvalidValue);
    if (injected_failure_due(testing::Call::Allocation)) {
        *ptr = nullptr;
        return record(cudaErrorMemoryAllocation);
    }
    if (size == 0) {
        *ptr = nullptr;
        return cudaSuccess;
    }
    *ptr = heap().allocate(size, space);
    return *ptr != nullptr ? cudaSuccess : record(cudaErrorMemoryAllocation);
}

cudaError_t release(void* ptr, Space space) {
    if (ptr == nullptr) return cudaSuccess;
    return heap().release(ptr, space) ? cudaSuccess : record(cudaErrorInvalidValue);
}

}  // namespace

Location locate(const void* p, std::size_t n) { return heap().locate(p, n); }

}  // namespace detail

testing::LiveAllocations testing::live_allocations() { return detail::heap().live(); }

}  // namespace cuda_on_cpu

using cuda_on_cpu::detail::Space;

cudaError_t cudaMalloc(void** devPtr, size_t size) {
    return cuda_on_cpu::detail::allocate(devPtr, size, Space::Device);
}
cudaError_t cudaFree(void* devPtr) { return cuda_on_cpu::detail::release(devPtr, Space::Device); }
cudaError_t cudaMallocHost(void** ptr, size_t size) {
    return cuda_on_cpu::detail::allocate(ptr, size, Space::Pinned);
}
cudaError_t cudaFreeHost(void* ptr) { return cuda_on_cpu::detail::release(ptr, Space::Pinned); }
