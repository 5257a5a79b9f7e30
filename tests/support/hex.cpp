#include "support/hex.h"

#include <cctype>
#include <stdexcept>

namespace belltower::testing {

formats::Bytes Hex(std::string_view hex) {
    formats::Bytes out;
    int pending = -1;
    for (const char c : hex) {
        if (std::isspace(static_cast<unsigned char>(c)) != 0) {
            continue;
        }
        const int digit = std::isdigit(static_cast<unsigned char>(c)) != 0 ? c - '0'
                          : (c >= 'a' && c <= 'f')                         ? c - 'a' + 10
                          : (c >= 'A' && c <= 'F')                         ? c - 'A' + 10
                                                                           : -1;
        if (digit < 0) {
            throw std::invalid_argument("Hex: not a hex digit: " + std::string(1, c));
        }
        if (pending < 0) {
            pending = digit;
        } else {
            out.push_back(static_cast<std::uint8_t>(pending * 16 + digit));
            pending = -1;
        }
    }
    if (pending >= 0) {
        throw std::invalid_argument("Hex: odd number of digits");
    }
    return out;
}

std::string ToHex(formats::ByteView bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i != 0) {
            out += ' ';
        }
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 0x0F];
    }
    return out;
}

::testing::AssertionResult BytesEqual(formats::ByteView expected, formats::ByteView actual) {
    const std::size_t common = std::min(expected.size(), actual.size());
    std::size_t first = 0;
    while (first < common && expected[first] == actual[first]) {
        ++first;
    }
    if (first == common && expected.size() == actual.size()) {
        return ::testing::AssertionSuccess();
    }
    // Long strings (whole firmware images) are shown only around the first difference.
    constexpr std::size_t kContext = 32;
    const std::size_t from = first > kContext ? first - kContext : 0;
    const auto window = [&](formats::ByteView bytes) {
        const std::string shown = ToHex(formats::Mid(bytes, from, 2 * kContext));
        const bool cutFront = from > 0;
        const bool cutBack = from + 2 * kContext < bytes.size();
        return (cutFront ? "... " : "") + shown + (cutBack ? " ..." : "");
    };
    return ::testing::AssertionFailure() << "first difference at offset " << first << " (expected " << expected.size()
                                         << " bytes, got " << actual.size() << ")\n  expected: " << window(expected)
                                         << "\n  actual:   " << window(actual);
}

}  // namespace belltower::testing
