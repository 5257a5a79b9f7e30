// SPDX-License-Identifier: GPL-3.0-or-later
// Test helpers: byte strings written as hex, and comparisons that name the first difference.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "formats/bytes.h"

namespace belltower::testing {

// "00 01 2c" or "00012C": whitespace is ignored, case does not matter.
formats::Bytes Hex(std::string_view hex);

// The bytes with the hex bytes written over them from `offset` on.
inline formats::Bytes Patched(formats::Bytes bytes, std::size_t offset, std::string_view hex) {
    const formats::Bytes patch = Hex(hex);
    std::copy(patch.begin(), patch.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    return bytes;
}

// "00 01 2C" for messages.
std::string ToHex(formats::ByteView bytes);

// Passes when equal; otherwise says where the first difference is and shows both sides.
::testing::AssertionResult BytesEqual(formats::ByteView expected, formats::ByteView actual);

// No warning at all for "", else a warning holding `part`.
void ExpectWarning(const std::vector<std::string>& warnings, std::string_view part);

}  // namespace belltower::testing

#define EXPECT_BYTES_EQ(expected, actual) EXPECT_TRUE(::belltower::testing::BytesEqual((expected), (actual)))
#define ASSERT_BYTES_EQ(expected, actual) ASSERT_TRUE(::belltower::testing::BytesEqual((expected), (actual)))
