// SPDX-License-Identifier: GPL-3.0-or-later
// Checks inside the fuzz harnesses: a broken promise of the code under test stops the run
// the way a sanitizer report does, so libFuzzer saves the input and the replay test fails.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace belltower::fuzz {

[[noreturn]] inline void CheckFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, condition);
    std::fflush(stderr);
    std::abort();
}

}  // namespace belltower::fuzz

#define BELLTOWER_FUZZ_CHECK(condition)                                                                                \
    ((condition) ? static_cast<void>(0) : ::belltower::fuzz::CheckFailed(#condition, __FILE__, __LINE__))
