#include "fiber_stacks.h"

#include <sys/mman.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

#include <cstdlib>
#include <new>
#include <vector>

namespace cuda_on_cpu::detail {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr std::size_t kStackBytes = std::size_t{512} << 10;  // instrumented frames are larger
#else
constexpr std::size_t kStackBytes = std::size_t{64} << 10;
#endif

std::size_t page_bytes() {
    static const std::size_t bytes = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return bytes;
}

// Stacks this thread has mapped and that no fiber uses now, by their lowest usable address.
// Mappings live as long as the thread's pool; the pool is a leak by design when a thread ends
// with stacks still mapped, which happens only at process exit for the worker threads.
struct StackPool {
    std::vector<char*> free_stacks;
    ~StackPool() {
        for (char* low : free_stacks) munmap(low - page_bytes(), kStackBytes + page_bytes());
    }
};

thread_local StackPool pool;

// Stacks of the same size would put every fiber's top frames into the same cache sets; starting
// each one a different number of cache lines below its top spreads them out.
constexpr std::size_t kCacheLine = 64;
constexpr unsigned kColours = 64;
thread_local unsigned next_colour = 0;
thread_local boost::context::stack_context last_allocated;

char* map_stack() {
    const std::size_t guard = page_bytes();
    void* base = mmap(nullptr, kStackBytes + guard, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK, -1, 0);
    if (base == MAP_FAILED) throw std::bad_alloc();
    mprotect(base, guard, PROT_NONE);
    return static_cast<char*>(base) + guard;
}

}  // namespace

boost::context::stack_context PooledFiberStack::allocate() {
    char* low;
    if (pool.free_stacks.empty()) {
        low = map_stack();
    } else {
        low = pool.free_stacks.back();
        pool.free_stacks.pop_back();
    }
#if defined(__SANITIZE_ADDRESS__)
    // A reused stack may still carry the poison of frames that an earlier fiber left by unwinding.
    ASAN_UNPOISON_MEMORY_REGION(low, kStackBytes);
#endif
    const std::size_t skip = kCacheLine * (next_colour++ % kColours);
    boost::context::stack_context stack;
    stack.size = kStackBytes - skip;
    stack.sp = low + stack.size;  // stacks grow downwards; sp - size is always the low end
    last_allocated = stack;
    return stack;
}

const boost::context::stack_context& last_allocated_fiber_stack() { return last_allocated; }

void PooledFiberStack::deallocate(boost::context::stack_context& stack) noexcept {
    char* low = static_cast<char*>(stack.sp) - stack.size;
    try {
        pool.free_stacks.push_back(low);
    } catch (...) {
        munmap(low - page_bytes(), kStackBytes + page_bytes());
    }
}

}  // namespace cuda_on_cpu::detail
