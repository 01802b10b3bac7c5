// cudaLaunchKernelEx: the configuration is checked as on a GPU, then the grid's blocks run on the
// worker pool while the device lock is held.
#include <atomic>
#include <cstdint>

#include "block_runner.h"
#include "device.h"
#include "errors.h"
#include "fault_injection.h"
#include "runtime_options.h"
#include "worker_pool.h"

namespace cuda_on_cpu::detail {
namespace {

constexpr unsigned kMaxThreadsPerBlock = 1024;
constexpr std::size_t kMaxDynamicSharedBytes = 48 << 10;

bool valid_configuration(const cudaLaunchConfig_t& config) {
    const dim3& g = config.gridDim;
    const dim3& b = config.blockDim;
    if (g.x < 1 || g.y < 1 || g.z < 1) return false;
    if (g.x > 0x7fffffffu || g.y > 65535 || g.z > 65535) return false;
    if (b.x < 1 || b.y < 1 || b.z < 1) return false;
    if (b.x > 1024 || b.y > 1024 || b.z > 64) return false;
    if (std::uint64_t{b.x} * b.y * b.z > kMaxThreadsPerBlock) return false;
    return config.dynamicSmemBytes <= kMaxDynamicSharedBytes;
}

// In order by default: the measures need no fiber, and a kernel that does reach a barrier is
// refused loudly rather than run wrongly.
std::atomic<BlockThreads> block_threads_of_launches{BlockThreads::InOrder};

// The thread order of launches: the environment's until a test sets another.
struct ThreadOrderOfLaunches {
    std::atomic<testing::ThreadOrder::Kind> kind{runtime_options().thread_order.kind};
    std::atomic<std::uint64_t> seed{runtime_options().thread_order.seed};
};
ThreadOrderOfLaunches& thread_order_of_launches() {
    static ThreadOrderOfLaunches order;
    return order;
}

bool run_block_task(const void* grid, std::size_t linear_block) {
    return run_block(*static_cast<const Grid*>(grid), linear_block);
}

}  // namespace

cudaError_t launch(const cudaLaunchConfig_t* config, ThreadBody one, ThreadRange range,
                   const void* context) {
    if (config == nullptr || config->numAttrs != 0) return record(cudaErrorInvalidValue);
    if (!valid_stream(config->stream)) return record(cudaErrorInvalidResourceHandle);
    if (!valid_configuration(*config)) return record(cudaErrorInvalidConfiguration);
    if (injected_failure_due(testing::Call::Launch)) return record(cudaErrorLaunchFailure);

    const testing::ThreadOrder order = testing::thread_order();
    // Running in order is running forward: any other order needs the fibers.
    const BlockThreads threads = order.kind == testing::ThreadOrder::Kind::Forward
                                     ? block_threads_of_launches.load()
                                     : BlockThreads::Fibers;
    const Grid grid{config->gridDim,
                    config->blockDim,
                    config->dynamicSmemBytes,
                    one,
                    range,
                    context,
                    threads,
                    order,
                    runtime_options().memcheck};
    const std::size_t blocks = std::size_t{grid.grid.x} * grid.grid.y * grid.grid.z;
    std::lock_guard<std::mutex> lock(device_mutex());
    // A kernel that breaks the barrier rules is reported by the launch itself: every launch has
    // completed when it returns, so there is no later call to report it with.
    return run_on_pool(blocks, &run_block_task, &grid) ? cudaSuccess
                                                       : record(cudaErrorLaunchFailure);
}

}  // namespace cuda_on_cpu::detail

void cuda_on_cpu::set_block_threads(BlockThreads how) {
    detail::block_threads_of_launches.store(how);
}

cuda_on_cpu::BlockThreads cuda_on_cpu::block_threads() {
    return detail::block_threads_of_launches.load();
}

void cuda_on_cpu::testing::set_thread_order(ThreadOrder order) {
    detail::ThreadOrderOfLaunches& current = detail::thread_order_of_launches();
    current.kind.store(order.kind);
    current.seed.store(order.seed);
}

cuda_on_cpu::testing::ThreadOrder cuda_on_cpu::testing::thread_order() {
    const detail::ThreadOrderOfLaunches& current = detail::thread_order_of_launches();
    return {current.kind.load(), current.seed.load()};
}
