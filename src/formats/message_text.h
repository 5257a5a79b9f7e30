// SPDX-License-Identifier: GPL-3.0-or-later
// How values stand in messages: numbers as a person writes them, bytes and offsets in hex,
// tokens of ringtone text in quotes. Every message of the core writes them through here, so a
// value reads the same in every warning and error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace belltower::formats {

// A whole number without a point ("180", "-3"); any other number with up to ten significant
// digits ("0.3333333333", "1e+300", "inf").
std::string NumberText(double value);

// A byte as two upper-case hex digits: "7F".
std::string HexByte(std::uint8_t value);

// An offset as a hex editor shows it: "0x1002C".
std::string HexOffset(std::size_t offset);

// A token of ringtone text in double quotes, its line breaks and other control characters
// (and 0xFF) shown as blanks so that the message stays on one line: "\"8c#6\"".
std::string QuotedToken(std::string_view token);

}  // namespace belltower::formats
