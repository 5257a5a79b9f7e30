// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer's entry point for one harness, chosen when the target is compiled
// (BELLTOWER_FUZZ_HARNESS names the function, see harnesses.h).
#include <cstddef>
#include <cstdint>

#include "fuzz/harnesses.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    belltower::fuzz::BELLTOWER_FUZZ_HARNESS(belltower::formats::ByteView(data, size));
    return 0;
}
