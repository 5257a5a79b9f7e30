// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/message_text.h"

#include <array>
#include <cmath>
#include <cstdio>

#include "formats/names.h"

namespace belltower::formats {

std::string NumberText(double value) {
    std::array<char, 64> text{};
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15) {
        std::snprintf(text.data(), text.size(), "%.0f", value);
    } else {
        std::snprintf(text.data(), text.size(), "%.10g", value);
    }
    return text.data();
}

std::string HexByte(std::uint8_t value) {
    std::array<char, 8> text{};
    std::snprintf(text.data(), text.size(), "%02X", value);
    return text.data();
}

std::string HexOffset(std::size_t offset) {
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "0x%zX", offset);
    return text.data();
}

std::string QuotedToken(std::string_view token) {
    return '"' + ToText(ToPrintable(ToBytes(token))) + '"';
}

}  // namespace belltower::formats
