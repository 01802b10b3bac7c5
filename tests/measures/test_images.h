// Images for the measure tests and the checks every measure call must pass.
#pragma once

#include <cuda_on_cpu/testing.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

struct ImageSize {
    int width;
    int height;
};

// The given sizes followed by 20 random ones up to 100 x 100, the same for the same seed.
inline std::vector<ImageSize> with_random_sizes(std::vector<ImageSize> sizes, unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> side(1, 100);
    for (int i = 0; i < 20; ++i) {
        sizes.push_back({side(generator), side(generator)});
    }
    return sizes;
}

inline std::vector<unsigned char> random_bytes(ImageSize size, unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<unsigned char> pixels(static_cast<size_t>(size.width) * size.height);
    for (unsigned char& p : pixels) {
        p = static_cast<unsigned char>(byte(generator));
    }
    return pixels;
}

// Doubles of either sign, as the double-input variants accept any value.
inline std::vector<double> random_doubles(ImageSize size, unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    std::vector<double> pixels(static_cast<size_t>(size.width) * size.height);
    for (double& p : pixels) {
        p = value(generator);
    }
    return pixels;
}

// The values the 8-bit variants work on: byte / 255.0.
inline std::vector<double> normalised(const std::vector<unsigned char>& bytes) {
    std::vector<double> values(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        values[i] = bytes[i] / 255.0;
    }
    return values;
}

// The byte pointer through which the double-input variants receive their doubles.
inline const unsigned char* as_bytes(const std::vector<double>& values) {
    return reinterpret_cast<const unsigned char*>(values.data());
}

inline void expect_nothing_allocated() {
    const cuda_on_cpu::testing::LiveAllocations live = cuda_on_cpu::testing::live_allocations();
    EXPECT_EQ(live.device_count, 0u);
    EXPECT_EQ(live.pinned_count, 0u);
}

// Makes each runtime call of the kind that measure() makes fail in turn, the first, then the
// second, and so on until the call makes fewer runtime calls of that kind: each failure must give
// NaN and leave nothing allocated. Returns how many runtime calls of the kind one measure() makes.
template <class Measure>
int fail_each_runtime_call(Measure measure,
                           cuda_on_cpu::testing::Call which = cuda_on_cpu::testing::Call::Any) {
    int nth = 1;
    for (;; ++nth) {
        cuda_on_cpu::testing::inject_failure(which, nth);
        const double value = measure();
        if (!cuda_on_cpu::testing::injected_failure_fired()) {
            cuda_on_cpu::testing::clear_injected_failure();
            EXPECT_FALSE(std::isnan(value)) << "no failure injected";
            break;
        }
        EXPECT_TRUE(std::isnan(value)) << "runtime call " << nth << " failed unnoticed";
        expect_nothing_allocated();
    }
    return nth - 1;
}
