// SPDX-License-Identifier: GPL-3.0-or-later
// The melody bank as `bank list` prints it: a table for people, or a JSON document for scripts.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

#include "bank/tone_bank.h"

namespace belltower::cli {

// "1 melody", "3 melodies".
std::string MelodyCount(std::size_t count);

// The header caption, the melody count, then one line per melody under column titles: Pos,
// Index, ID, Name, Purpose (Unicode banks only), Play mode, Length. Names and IDs in UTF-8,
// control characters as "?"; columns lined up by characters, trailing spaces cut.
void PrintBankTable(const bank::ToneBank& bank, std::ostream& out);

// A stable document: keys always present, in this order; purpose is null in an ASCII bank.
// Texts are the bytes of the image, as UTF-8.
void PrintBankJson(const bank::ToneBank& bank, std::ostream& out);

}  // namespace belltower::cli
