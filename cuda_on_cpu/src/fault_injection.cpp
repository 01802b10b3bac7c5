#include "fault_injection.h"

#include <mutex>

namespace cuda_on_cpu {
namespace {

struct Injection {
    std::mutex mutex;
    bool armed = false;
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
    std::lock_guard<std::mutex> lock(state.mutex);
    if (!state.armed) return false;
    if (state.target != testing::Call::Any && state.target != call) return false;
    if (--state.remaining > 0) return false;
    state.armed = false;
    state.fired = true;
    return true;
}

void testing::inject_failure(Call which, int nth) {
    Injection& state = injection();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.armed = nth >= 1;
    state.fired = false;
    state.target = which;
    state.remaining = nth;
}

bool testing::injected_failure_fired() {
    Injection& state = injection();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.fired;
}

void testing::clear_injected_failure() {
    Injection& state = injection();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.armed = false;
    state.fired = false;
}

}  // namespace cuda_on_cpu
