// SPDX-License-Identifier: GPL-3.0-or-later
// Checks inside the fuzz harnesses: a broken promise of the code under test stops the run
// the way a sanitizer report does, so libFuzzer saves the input and the replay test fails.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace belltower::fuzz {

[[noreturn]] inline void CheckFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, condition);
    std::fflush(stderr);
    std::abort();
}

// Work out of proportion to the input: a few bytes that take seconds or hundreds of megabytes,
// because a number in them (a gap, a repeat count, a tempo) was taken as an amount of work.
// Every harness runs within a fixed part, for what it builds whatever the input (a firmware
// image, a bank, a second of audio), and a part per byte of input. The fuzzers measure every
// input (libfuzzer_entry.cpp); the replay test measures the time, with room for builds that are
// not optimised.
inline constexpr double kFixedSeconds = 0.5;
inline constexpr double kSecondsPerByte = 20e-6;
inline constexpr std::size_t kFixedHeapBytes = std::size_t{64} << 20;
inline constexpr std::size_t kHeapBytesPerByte = 1024;

// The processor time the program has used, in seconds (not the wall clock: other programs on a
// busy machine do not count).
inline double ProcessorSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// Fails when an input of `inputSize` bytes took more than its budget of processor time (times
// `slack`) or of heap at its peak.
inline void CheckInProportion(std::size_t inputSize, double seconds, std::size_t peakHeapBytes, double slack = 1) {
    const double allowed = slack * (kFixedSeconds + kSecondsPerByte * static_cast<double>(inputSize));
    if (seconds > allowed) {
        std::fprintf(stderr, "fuzz check failed: %zu bytes of input took %.3f s, more than %.3f s\n", inputSize,
                     seconds, allowed);
        std::fflush(stderr);
        std::abort();
    }
    const std::size_t heap = kFixedHeapBytes + kHeapBytesPerByte * inputSize;
    if (peakHeapBytes > heap) {
        std::fprintf(stderr, "fuzz check failed: %zu bytes of input took %zu bytes of heap, more than %zu\n", inputSize,
                     peakHeapBytes, heap);
        std::fflush(stderr);
        std::abort();
    }
}

}  // namespace belltower::fuzz

#define BELLTOWER_FUZZ_CHECK(condition)                                                                                \
    ((condition) ? static_cast<void>(0) : ::belltower::fuzz::CheckFailed(#condition, __FILE__, __LINE__))
