// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/hex.h"

#include <algorithm>
#include <stdexcept>

namespace belltower::testing {

formats::Bytes Hex(std::string_view hex) {
    std::string digits(hex);
    std::erase_if(digits, [](char c) { return c == ' ' || c == '\n' || c == '\t'; });
    if (digits.size() % 2 != 0 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        throw std::invalid_argument("Hex: not pairs of hex digits: " + std::string(hex));
    }
    formats::Bytes out;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        out.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    }
    return out;
}

std::string ToHex(formats::ByteView bytes) {
    std::string out;
    for (const std::uint8_t b : bytes) {
        out += (out.empty() ? "" : " ") + std::string{"0123456789ABCDEF"[b >> 4], "0123456789ABCDEF"[b & 0x0F]};
    }
    return out;
}

// Long strings (whole firmware images) are shown only around the first difference.
::testing::AssertionResult BytesEqual(formats::ByteView expected, formats::ByteView actual) {
    const auto first = static_cast<std::size_t>(
        std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end()).first - expected.begin());
    if (first == expected.size() && expected.size() == actual.size()) {
        return ::testing::AssertionSuccess();
    }
    const std::size_t from = first > 32 ? first - 32 : 0;
    const auto window = [from](formats::ByteView bytes) {
        return (from > 0 ? "... " : "") + ToHex(formats::Mid(bytes, from, 64)) +
               (from + 64 < bytes.size() ? " ..." : "");
    };
    return ::testing::AssertionFailure() << "first difference at offset " << first << " (expected " << expected.size()
                                         << " bytes, got " << actual.size() << ")\n  expected: " << window(expected)
                                         << "\n  actual:   " << window(actual);
}

void ExpectWarning(const std::vector<std::string>& warnings, std::string_view part) {
    const bool found = std::any_of(warnings.begin(), warnings.end(),
                                   [&](const std::string& warning) { return warning.find(part) != std::string::npos; });
    EXPECT_TRUE(part.empty() ? warnings.empty() : found) << part << ": " << (warnings.empty() ? "" : warnings.back());
}

}  // namespace belltower::testing
