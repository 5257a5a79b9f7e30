// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/text_value.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace belltower::formats {
namespace {

bool IsSkipped(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// "&H" / "&O" integers: digits of the base up to the first other character.
double RadixValue(std::string_view text, std::size_t pos, int base) {
    std::uint64_t value = 0;
    bool any = false;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (IsSkipped(c)) {
            continue;
        }
        int digit = -1;
        if (IsDigit(c)) {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        if (digit < 0 || digit >= base) {
            break;
        }
        any = true;
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFu) {
            return std::numeric_limits<double>::infinity();
        }
    }
    if (!any) {
        return 0.0;
    }
    // Integers that fit in 16 or 32 bits keep the two's-complement reading of that width.
    if (value <= 0xFFFF) {
        return static_cast<double>(static_cast<std::int16_t>(static_cast<std::uint16_t>(value)));
    }
    return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
}

}  // namespace

double TextValue(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && IsSkipped(text[pos])) {
        ++pos;
    }
    if (pos + 1 < text.size() && text[pos] == '&') {
        const char kind = text[pos + 1];
        if (kind == 'h' || kind == 'H') {
            return RadixValue(text, pos + 2, 16);
        }
        if (kind == 'o' || kind == 'O') {
            return RadixValue(text, pos + 2, 8);
        }
    }

    // Collect the number's characters, skipping blanks, into a form from_chars reads.
    std::string number;
    enum class Stage { Sign, Mantissa, ExponentSign, Exponent } stage = Stage::Sign;
    bool mantissaDigits = false;
    bool exponentDigits = false;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (IsSkipped(c)) {
            continue;
        }
        if (stage == Stage::Sign && (c == '+' || c == '-')) {
            if (c == '-') {
                number += '-';
            }
            stage = Stage::Mantissa;
        } else if ((stage == Stage::Sign || stage == Stage::Mantissa) && IsDigit(c)) {
            number += c;
            mantissaDigits = true;
            stage = Stage::Mantissa;
        } else if ((stage == Stage::Sign || stage == Stage::Mantissa) && c == '.') {
            // A second point is kept too: the conversion stops there, as it does at a letter.
            number += '.';
            stage = Stage::Mantissa;
        } else if ((stage == Stage::Sign || stage == Stage::Mantissa) && mantissaDigits &&
                   (c == 'e' || c == 'E' || c == 'd' || c == 'D')) {
            number += 'e';
            stage = Stage::ExponentSign;
        } else if (stage == Stage::ExponentSign && (c == '+' || c == '-')) {
            number += c;
            stage = Stage::Exponent;
        } else if ((stage == Stage::ExponentSign || stage == Stage::Exponent) && IsDigit(c)) {
            number += c;
            exponentDigits = true;
            stage = Stage::Exponent;
        } else {
            break;
        }
    }
    if (!mantissaDigits) {
        return 0.0;
    }
    if (!exponentDigits) {
        // "1e" or "1e-" without digits: the exponent part counts for nothing.
        if (const auto e = number.find('e'); e != std::string::npos) {
            number.erase(e);
        }
    }
    const char* first = number.data();
    if (*first == '-') {
        ++first;  // from_chars takes no sign of its own in front of a lone "."; handle it here.
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(first, number.data() + number.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        // Too large gives infinity; too small underflows to 0.
        const bool huge = number.find("e-") == std::string::npos;
        value = huge ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return number.front() == '-' ? -value : value;
}

double RoundHalfEven(double value) {
    if (!std::isfinite(value)) {
        return value;
    }
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff < 0.5) {
        return floor;
    }
    if (diff > 0.5) {
        return floor + 1.0;
    }
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

}  // namespace belltower::formats
