// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/text_encoding.h"

#include <cstdint>
#include <optional>

namespace belltower::cli {
namespace {

void AppendUtf8(std::string& out, std::uint8_t latin1) {
    if (latin1 < 0x80) {
        out += static_cast<char>(latin1);
        return;
    }
    out += static_cast<char>(0xC0 | (latin1 >> 6));
    out += static_cast<char>(0x80 | (latin1 & 0x3F));
}

std::uint8_t Byte(char c) {
    return static_cast<std::uint8_t>(c);
}

// The code points of a UTF-8 text, or nothing when it is not well-formed UTF-8 (overlong
// forms, surrogates and bytes cut off at the end included).
std::optional<std::u32string> DecodeUtf8(std::string_view text) {
    std::u32string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::uint8_t lead = Byte(text[i]);
        std::size_t more = 0;
        char32_t value = 0;
        char32_t lowest = 0;
        if (lead < 0x80) {
            value = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            more = 1;
            value = lead & 0x1Fu;
            lowest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            more = 2;
            value = lead & 0x0Fu;
            lowest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            more = 3;
            value = lead & 0x07u;
            lowest = 0x10000;
        } else {
            return std::nullopt;
        }
        if (text.size() - i <= more) {
            return std::nullopt;
        }
        for (std::size_t k = 1; k <= more; ++k) {
            const std::uint8_t next = Byte(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return std::nullopt;
            }
            value = (value << 6) | (next & 0x3Fu);
        }
        if (value < lowest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            return std::nullopt;
        }
        out += value;
        i += more + 1;
    }
    return out;
}

}  // namespace

std::string Latin1ToUtf8(std::string_view latin1) {
    std::string out;
    out.reserve(latin1.size());
    for (const char c : latin1) {
        AppendUtf8(out, Byte(c));
    }
    return out;
}

std::string PrintableUtf8(std::string_view latin1) {
    std::string out;
    out.reserve(latin1.size());
    for (const char c : latin1) {
        const std::uint8_t b = Byte(c);
        AppendUtf8(out, (b < 0x20 || (b >= 0x7F && b <= 0x9F)) ? std::uint8_t{'?'} : b);
    }
    return out;
}

formats::Result<std::string> ArgumentToLatin1(std::string_view argument, std::string_view what) {
    const auto decoded = DecodeUtf8(argument);
    if (!decoded) {
        return std::string(argument);
    }
    std::string out;
    out.reserve(decoded->size());
    for (const char32_t c : *decoded) {
        if (c > 0xFF) {
            return formats::MakeError(formats::ErrorCode::BadInput,
                                      "The " + std::string(what) +
                                          " holds a character the phone cannot store: only Latin-1 characters fit.");
        }
        out += static_cast<char>(static_cast<std::uint8_t>(c));
    }
    return out;
}

std::string JsonString(std::string_view latin1) {
    static constexpr char kHexDigits[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char c : latin1) {
        const std::uint8_t b = Byte(c);
        if (b == '"' || b == '\\') {
            out += '\\';
            out += c;
        } else if (b < 0x20) {
            out += "\\u00";
            out += kHexDigits[b >> 4];
            out += kHexDigits[b & 0x0F];
        } else {
            AppendUtf8(out, b);
        }
    }
    out += '"';
    return out;
}

}  // namespace belltower::cli
