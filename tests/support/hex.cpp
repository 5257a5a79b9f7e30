#include "support/hex.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace belltower::testing {

formats::Bytes Hex(std::string_view hex) {
    std::string digits;
    for (const char c : hex) {
        if (std::isspace(static_cast<unsigned char>(c)) == 0) {
            digits += c;
        }
    }
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
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (const std::uint8_t b : bytes) {
        out += out.empty() ? "" : " ";
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return out;
}

::testing::AssertionResult BytesEqual(formats::ByteView expected, formats::ByteView actual) {
    const auto [e, a] = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
    if (e == expected.end() && a == actual.end()) {
        return ::testing::AssertionSuccess();
    }
    // Long strings (whole firmware images) are shown only around the first difference.
    const auto first = static_cast<std::size_t>(e - expected.begin());
    const std::size_t from = first > 32 ? first - 32 : 0;
    const auto window = [from](formats::ByteView bytes) {
        return (from > 0 ? "... " : "") + ToHex(formats::Mid(bytes, from, 64)) +
               (from + 64 < bytes.size() ? " ..." : "");
    };
    return ::testing::AssertionFailure() << "first difference at offset " << first << " (expected " << expected.size()
                                         << " bytes, got " << actual.size() << ")\n  expected: " << window(expected)
                                         << "\n  actual:   " << window(actual);
}

}  // namespace belltower::testing
