// A block's threads run on one host thread. In order, all of them run as plain calls in increasing
// linear index. With fibers, the threads take their turns in the launch's thread order (forward
// unless asked otherwise): the first thread starts as a fiber; if it finishes without reaching a
// barrier, the block has no barrier it could reach consistently, so the other threads run as plain
// calls. Otherwise every thread gets a fiber, and the fibers run round by round: each round
// resumes every thread up to its next __syncthreads() (or its end), and a round in which some
// threads finish while others wait at a barrier is a launch failure.
#include "block_runner.h"

#include <boost/context/fiber.hpp>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "asan_poisoning.h"
#include "fiber_stacks.h"
#include "fiber_switch_annotations.h"
#include "thread_order.h"

__thread uint3 threadIdx;
__thread uint3 blockIdx;
__thread dim3 blockDim;
__thread dim3 gridDim;

namespace cuda_on_cpu::detail {

__thread unsigned char* block_shared_memory = nullptr;  // owned by shared_memory_owner
__thread bool block_threads_plain = false;

namespace {

namespace context = boost::context;

enum class Mode {
    Host,       // not inside a kernel
    Fiber,      // a block thread on its own fiber: barriers switch fibers
    Plain,      // a block thread as a plain call, in linear order: no barrier may be reached
    Unordered,  // a block thread as a plain call, out of linear order: no barrier may be reached
};

// Thrown by a barrier reached in plain mode; caught by the block runner.
struct BarrierWithoutFiber {};
// Thrown by the barrier a fiber waits at when its block has failed; caught at the fiber's base.
struct BlockAbandoned {};

struct BlockThread {
    context::fiber fiber;
    const void* stack_bottom = nullptr;
    std::size_t stack_size = 0;
    bool finished = false;
};

constexpr std::size_t kSharedCapacity = 48 << 10;

__thread Mode mode = Mode::Host;

void set_mode(Mode m) {
    mode = m;
    block_threads_plain = m == Mode::Plain;
}
__thread bool block_abandoned = false;
// The scheduler context that the running fiber returns to at a barrier, and the scheduler's stack.
__thread context::fiber* scheduler_of_running_fiber = nullptr;
__thread const void* scheduler_stack_bottom = nullptr;
__thread std::size_t scheduler_stack_size = 0;

struct FreeDeleter {
    void operator()(unsigned char* p) const { std::free(p); }
};
thread_local std::unique_ptr<unsigned char[], FreeDeleter> shared_memory_owner;
thread_local std::vector<BlockThread> block_threads;
thread_local std::vector<unsigned> round_turns;

void set_thread_index(unsigned linear, const dim3& block) {
    threadIdx = uint3{linear % block.x, (linear / block.x) % block.y, linear / (block.x * block.y)};
}

void set_block_index(std::size_t linear, const dim3& grid) {
    blockIdx = uint3{static_cast<unsigned>(linear % grid.x),
                     static_cast<unsigned>(linear / grid.x % grid.y),
                     static_cast<unsigned>(linear / (std::size_t{grid.x} * grid.y))};
}

void prepare_shared_memory(std::size_t bytes, bool exact) {
    if (block_shared_memory == nullptr) {
        block_shared_memory = static_cast<unsigned char*>(std::aligned_alloc(256, kSharedCapacity));
        if (block_shared_memory == nullptr) throw std::bad_alloc();
        shared_memory_owner.reset(block_shared_memory);
    }
    if (exact) {
        unpoison(block_shared_memory, bytes);
        poison(block_shared_memory + bytes, kSharedCapacity - bytes);
    }
#ifndef NDEBUG
    // Shared memory starts with garbage on a GPU; all-ones bytes read as NaN doubles, so a kernel
    // that reads a slot before writing it shows up in the result (in builds with assertions).
    std::memset(block_shared_memory, 0xff, bytes);
#else
    (void)bytes;
#endif
}

context::fiber make_fiber(const Grid& grid, BlockThread& thread) {
    context::fiber fiber(
        std::allocator_arg, PooledFiberStack{}, [&grid, &thread](context::fiber&& scheduler) {
            after_stack_switch(nullptr, &scheduler_stack_bottom, &scheduler_stack_size);
            scheduler_of_running_fiber = &scheduler;
            try {
                grid.one(grid.context);
            } catch (const BlockAbandoned&) {
            }
            thread.finished = true;
            before_stack_switch(nullptr, scheduler_stack_bottom, scheduler_stack_size);
            return std::move(scheduler);
        });
    const context::stack_context& stack = last_allocated_fiber_stack();
    thread.stack_bottom = static_cast<char*>(stack.sp) - stack.size;
    thread.stack_size = stack.size;
    return fiber;
}

// Runs thread `linear` on its fiber until its next barrier or its end.
void resume(std::vector<BlockThread>& threads, const Grid& grid, unsigned linear) {
    BlockThread& thread = threads[linear];
    set_thread_index(linear, grid.block);
    if (!thread.fiber) thread.fiber = make_fiber(grid, thread);
    void* fake_stack = nullptr;
    before_stack_switch(&fake_stack, thread.stack_bottom, thread.stack_size);
    thread.fiber = std::move(thread.fiber).resume();
    after_stack_switch(fake_stack, nullptr, nullptr);
}

// Runs threads first .. count - 1 as plain calls.
bool run_plainly(const Grid& grid, unsigned first, unsigned count) {
    set_mode(Mode::Plain);
    try {
        set_thread_index(first, grid.block);
        grid.range(grid.context, count - first, grid.block);
    } catch (const BarrierWithoutFiber&) {
        return false;
    }
    return true;
}

// Runs the threads of turns[1 ..] as plain calls in that order, once the first has finished.
bool run_rest_plainly(const Grid& grid, const std::vector<unsigned>& turns) {
    const unsigned count = static_cast<unsigned>(turns.size());
    // In forward order these are threads 1 .. count - 1, which the loop runs fastest.
    if (grid.order.kind == testing::ThreadOrder::Kind::Forward) return run_plainly(grid, 1, count);
    set_mode(Mode::Unordered);
    try {
        for (unsigned i = 1; i < count; ++i) {
            set_thread_index(turns[i], grid.block);
            grid.one(grid.context);
        }
    } catch (const BarrierWithoutFiber&) {
        return false;
    }
    return true;
}

// Lets every fiber still waiting at a barrier unwind to its base and finish.
void abandon(std::vector<BlockThread>& threads, const Grid& grid) {
    block_abandoned = true;
    for (unsigned t = 0; t < threads.size(); ++t) {
        if (!threads[t].finished) resume(threads, grid, t);
    }
    block_abandoned = false;
}

bool run_on_fibers(const Grid& grid, std::size_t linear_block, unsigned count) {
    std::vector<BlockThread>& threads = block_threads;
    threads.clear();
    threads.resize(count);
    std::vector<unsigned>& turns = round_turns;
    order_round(grid.order, linear_block, 0, count, turns);
    set_mode(Mode::Fiber);
    resume(threads, grid, turns[0]);
    if (threads[turns[0]].finished) return run_rest_plainly(grid, turns);

    for (unsigned i = 1; i < count; ++i) resume(threads, grid, turns[i]);
    for (unsigned round = 1;; ++round) {
        unsigned finished = 0;
        for (const BlockThread& thread : threads) finished += thread.finished;
        if (finished == count) return true;
        if (finished != 0) {
            abandon(threads, grid);
            return false;
        }
        order_round(grid.order, linear_block, round, count, turns);
        for (unsigned i = 0; i < count; ++i) resume(threads, grid, turns[i]);
    }
}

}  // namespace

bool run_block(const Grid& grid, std::size_t linear_block) {
    set_block_index(linear_block, grid.grid);
    blockDim = grid.block;
    gridDim = grid.grid;
    prepare_shared_memory(grid.shared_bytes, grid.exact_shared_memory);
    const unsigned threads = grid.block.x * grid.block.y * grid.block.z;
    const bool ok = grid.threads == BlockThreads::InOrder
                        ? run_plainly(grid, 0, threads)
                        : run_on_fibers(grid, linear_block, threads);
    set_mode(Mode::Host);
    return ok;
}

}  // namespace cuda_on_cpu::detail

void __syncthreads() {
    using namespace cuda_on_cpu::detail;
    switch (mode) {
        case Mode::Fiber: {
            context::fiber* scheduler = scheduler_of_running_fiber;
            void* fake_stack = nullptr;
            before_stack_switch(&fake_stack, scheduler_stack_bottom, scheduler_stack_size);
            *scheduler = std::move(*scheduler).resume();
            after_stack_switch(fake_stack, nullptr, nullptr);
            scheduler_of_running_fiber = scheduler;
            if (block_abandoned) throw BlockAbandoned{};
            return;
        }
        case Mode::Plain:
        case Mode::Unordered: throw BarrierWithoutFiber{};
        case Mode::Host: break;
    }
    std::abort();  // __syncthreads() called outside a kernel
}
