// SPDX-License-Identifier: GPL-3.0-or-later
// How every numeric edit field is read, and the one rounding rule for whole numbers.
#pragma once

#include <cstdint>
#include <string_view>

namespace belltower::formats {

// The number at the start of a text, as the edit fields have always been read:
// blanks, tabs and line feeds are skipped wherever they stand ("1 2" reads 12); then an
// optional sign, digits with at most one ".", an optional exponent (e or d, optional sign,
// digits). "&H" and "&O" read a hexadecimal or octal integer (16-bit values wrap to
// negative as they did on the phone tools' platform: "&HFFFF" is -1). The first other
// character ends the number; a text without a number gives 0. A number too large for a
// double gives +/-infinity, which every caller's range check rejects.
double TextValue(std::string_view text);

// Nearest integer, halves to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2). Every conversion of a
// computed number to a whole number uses it.
double RoundHalfEven(double value);

}  // namespace belltower::formats
