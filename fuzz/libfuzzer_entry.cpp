// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer's entry point for one harness, chosen when the target is compiled
// (BELLTOWER_FUZZ_HARNESS names the function, see harnesses.h). Every input is measured: the
// processor time it takes and the most heap it holds at once, through the address sanitizer's
// allocation hooks (fuzz_check.h gives the budgets).
#include <sanitizer/allocator_interface.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_check.h"
#include "fuzz/harnesses.h"

namespace {

// Heap held by the fuzzing thread, and its peak since the input began.
thread_local std::size_t held = 0;
thread_local std::size_t peak = 0;

void OnAllocate(const volatile void* /*block*/, std::size_t size) {
    held += size;
    peak = std::max(peak, held);
}

void OnFree(const volatile void* block) {
    const void* const owned = const_cast<const void*>(block);
    if (__sanitizer_get_ownership(owned) != 0) {
        held -= std::min(held, __sanitizer_get_allocated_size(owned));
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    __sanitizer_install_malloc_and_free_hooks(&OnAllocate, &OnFree);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::size_t before = held;
    peak = held;
    const double start = belltower::fuzz::ProcessorSeconds();
    belltower::fuzz::BELLTOWER_FUZZ_HARNESS(belltower::formats::ByteView(data, size));
    belltower::fuzz::CheckInProportion(size, belltower::fuzz::ProcessorSeconds() - start, peak - before);
    return 0;
}
