// Stacks for the fibers that run a block's threads.
#pragma once

#include <boost/context/stack_context.hpp>

namespace cuda_on_cpu::detail {

// A Boost.Context stack allocator that hands out stacks from a pool kept per host thread and
// reused across blocks and launches, so that creating a fiber maps no memory. Each stack has a
// guard page below it: an overflow faults instead of corrupting a neighbour.
struct PooledFiberStack {
    boost::context::stack_context allocate();
    void deallocate(boost::context::stack_context& stack) noexcept;
};

// The stack that this thread's latest allocate() handed out.
const boost::context::stack_context& last_allocated_fiber_stack();

}  // namespace cuda_on_cpu::detail
