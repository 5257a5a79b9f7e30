// SPDX-License-Identifier: GPL-3.0-or-later
// Melody names in the phones' two text formats.
//
// ASCII phones (3210, 3310) store one byte per character; Unicode phones (6210, 7110)
// store two, high byte first (big-endian UCS-2). The names Belltower writes have a high
// byte of 0, so "Ab" is 41 62 in ASCII and 00 41 00 62 in Unicode.
#pragma once

#include "formats/bytes.h"

namespace belltower::formats {

enum class TextFormat { Ascii, Unicode };

// Every byte of value 0 removed (not only every second byte).
Bytes UnicodeToAscii(ByteView bytes);

// Each byte preceded by a byte 0: twice as long.
Bytes AsciiToUnicode(ByteView bytes);

// The name bytes for a record of a bank in the given format: unchanged for ASCII,
// AsciiToUnicode for Unicode.
Bytes WidenIfUnicode(ByteView bytes, TextFormat bankFormat);

// Same length; every byte below 32 or equal to 255 becomes a space, so raw header bytes can
// be shown as text.
Bytes ToPrintable(ByteView bytes);

}  // namespace belltower::formats
