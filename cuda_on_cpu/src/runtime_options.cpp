#include "runtime_options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace cuda_on_cpu {
namespace detail {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif

[[noreturn]] void refuse(const char* variable, const char* value, const char* expected) {
    std::fprintf(stderr, "cuda_on_cpu: %s=%s is not valid; expected %s\n", variable, value,
                 expected);
    std::exit(EXIT_FAILURE);
}

RuntimeOptions read_options() {
    RuntimeOptions options{};
    if (const char* order = std::getenv("CUDA_ON_CPU_THREAD_ORDER")) {
        if (!testing::parse_thread_order(order, &options.thread_order)) {
            refuse("CUDA_ON_CPU_THREAD_ORDER", order, "forward, reverse or shuffle:SEED");
        }
    }
    options.memcheck = kAddressSanitizer;
    if (const char* memcheck = std::getenv("CUDA_ON_CPU_MEMCHECK")) {
        if (std::strcmp(memcheck, "0") != 0 && std::strcmp(memcheck, "1") != 0) {
            refuse("CUDA_ON_CPU_MEMCHECK", memcheck, "0 or 1");
        }
        options.memcheck = memcheck[0] == '1';
        if (options.memcheck && !kAddressSanitizer) {
            std::fprintf(stderr,
                         "cuda_on_cpu: CUDA_ON_CPU_MEMCHECK=1 sizes device memory exactly, but "
                         "only a build with AddressSanitizer reports bad accesses\n");
        }
    }
    return options;
}

// Reads the environment during static initialisation, while only one thread runs.
[[maybe_unused]] const RuntimeOptions& options_read_before_main = runtime_options();

}  // namespace

const RuntimeOptions& runtime_options() {
    static const RuntimeOptions options = read_options();
    return options;
}

}  // namespace detail

bool testing::parse_thread_order(const char* text, ThreadOrder* order) {
    if (std::strcmp(text, "forward") == 0) {
        *order = {ThreadOrder::Kind::Forward, 0};
        return true;
    }
    if (std::strcmp(text, "reverse") == 0) {
        *order = {ThreadOrder::Kind::Reverse, 0};
        return true;
    }
    const char* const prefix = "shuffle:";
    const std::size_t prefix_length = std::strlen(prefix);
    if (std::strncmp(text, prefix, prefix_length) != 0) return false;
    const char* digits = text + prefix_length;
    if (*digits < '0' || *digits > '9') return false;  // strtoull would take a sign or spaces
    char* end = nullptr;
    errno = 0;
    const unsigned long long seed = std::strtoull(digits, &end, 10);
    if (*end != '\0' || errno == ERANGE) return false;
    *order = {ThreadOrder::Kind::Shuffle, seed};
    return true;
}

bool testing::memcheck_enabled() { return detail::runtime_options().memcheck; }

}  // namespace cuda_on_cpu
