// SPDX-License-Identifier: GPL-3.0-or-later
// Texts between the terminal and the phone.
//
// The phones store names and IDs one byte per character in Latin-1 (two bytes in Unicode
// banks, high byte 0), and the core keeps them that way. A shell speaks UTF-8: names printed
// by the program are converted to UTF-8, and names typed on its command line are converted
// back to Latin-1 before they reach a record.
#pragma once

#include <string>
#include <string_view>

#include "formats/result.h"

namespace belltower::cli {

// Every byte as the Latin-1 character of that value, encoded in UTF-8.
std::string Latin1ToUtf8(std::string_view latin1);

// Latin1ToUtf8 for a terminal: control characters (00..1F, 7F..9F) become "?", so a name
// holding one cannot move the cursor or clear the screen.
std::string PrintableUtf8(std::string_view latin1);

// A text typed on the command line as the phone stores it. Valid UTF-8 is converted to
// Latin-1 (plain ASCII is unchanged); BadInput when it holds a character above U+00FF, which
// no record can carry. Anything that is not valid UTF-8 is taken as Latin-1 already, as a
// shell in a Latin-1 locale passes it.
formats::Result<std::string> ArgumentToLatin1(std::string_view argument, std::string_view what);

// A JSON string literal, quotes included, for a Latin-1 text: UTF-8 inside, with quote,
// backslash and every control character below 20 escaped.
std::string JsonString(std::string_view latin1);

}  // namespace belltower::cli
