#include "fault_injection.h"

#include <atomic>
#include <mutex>

namespace cuda_on_cpu {
namespace {

struct Injection {
    // Set while a failure is pending. Every runtime call reads it; only when it is set does a
    // call take the mutex, so the shipped tool, which never arms one, pays one load per call.
    std::atomic<bool> armed{false};
    std::mutex mutex;  // guards the fields below, and armed's changes
    bool fired = false;
    testing::Call target = testing::Call::Any;
    int remaining = 0;
};

Injection& injection() {
    static Injection instance;
    return instance;
}

}  // namespace

bool detail::injected_failure_due(testing::Call call) {
    Injection& state = injection();
    if (!state.armed.load(std::memory_order_acquire)) return false;
    std::lock_guard<std::mutex> lock(state.mutex);
    if (!state.armed.load(std::memory_order_relaxed)) return false;
    if (state.target != testing::Call::Any && state.target != call) return false;
    if (--state.remaining > 0) return false;
    state.armed.store(false, std::memory_order_relaxed);
    state.fired = true;
    return true;
}

void testing::inject_failure(Call which, int nth) {
    Injection& state = injection();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.fired = false;
    state.target = which;
    state.remaining = nth;
    state.armed.store(nth >= 1, std::memory_order_release);
}

bool testing::injected_failure_fired() {
    Injection& state = injection();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.fired;
}

void testing::clear_injected_failure() {
    Injection& state = injection();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.armed.store(false, std::memory_order_relaxed);
    state.fired = false;
}

}  // namespace cuda_on_cpu
