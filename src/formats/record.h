// SPDX-License-Identifier: GPL-3.0-or-later
// One melody record: the unit the phone's TONE chunk, an RE file and the tone bank hold.
//
// ASCII layout (3210, 3310). Offsets are 0-based here; L is the name's length in characters.
//   offset   size    field
//   0        4       index (dword): the number the phone finds the melody by, unique in a bank
//   4        4       record length (dword): whole record in bytes, fill included, a multiple of 4
//   8        4       ID: four one-byte characters, padded with spaces
//   12       4       zero bytes
//   16       1       name-length byte: L + 1
//   17       L       name, one byte per character
//   17+L     1       terminator 0x00
//   18+L     ...     tone data (two-byte commands)
//   end      0..3    fill bytes 0xFF up to a multiple of 4
//
// Unicode layout (6210, 7110): one more header byte, everything after it one byte later.
//   0        4       index
//   4        4       record length
//   8        4       ID (still one byte per character)
//   12       4       zero bytes
//   16       1       purpose: 0..255, a ringtone has 2
//   17       1       name-length byte: L + 1
//   18       2L      name, two bytes per character, high byte first
//   18+2L    2       terminator 0x00 0x00
//   20+2L    ...     tone data
//   end      0..3    fill
//
// With u = 1 for Unicode and 0 for ASCII, the name-length byte is at 16 + u, the name starts
// at 17 + u, and the dword at 13 + u ends with the name-length byte. The tail is everything
// after the name: terminator, tone data and fill.
//
// The tone data ends with 07 0B; before it the encoder places 0A 0A (suggest playing twice)
// or 0A FE, then 40 nn for a trailing delay, then 0A 0E (force one play). The play mode is
// found by searching the last 11 bytes for those pairs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "formats/bytes.h"
#include "formats/names.h"
#include "formats/result.h"

namespace belltower::formats {

inline constexpr std::size_t kRecordHeaderSize = 17;  // bytes before the name in ASCII (one more in Unicode)
inline constexpr std::size_t kMaxNameLength = 254;    // L + 1 must fit the name-length byte

inline std::size_t UnicodeOffset(TextFormat format) {
    return format == TextFormat::Unicode ? 1 : 0;
}

// The record's format told from its bytes (for records arriving without a bank format):
// Unicode if byte 16 is 0 or byte 17 is 1..31, ASCII otherwise. Missing bytes read as 0.
TextFormat DetectRecordFormat(ByteView record);

// L, the name's length in characters: (dword at 13 + u) - 1, modulo 256, so the purpose
// byte inside that dword in the Unicode layout does not count. DamagedData when the record
// is too short for its header or its name, or the name-length byte is 0.
Result<std::size_t> RecordNameLength(ByteView record, TextFormat format);

// The name as stored: L bytes (ASCII) or 2L bytes (Unicode).
Result<Bytes> RecordNameBytes(ByteView record, TextFormat format);

// The name as listed and shown: RecordNameBytes with every zero byte removed.
Result<std::string> RecordDisplayName(ByteView record, TextFormat format);

// Every byte after the name: terminator, tone data, fill.
Result<Bytes> RecordTail(ByteView record, TextFormat format);

// Header fields read directly. Index and length fail on a too-short record or a field
// above 2147483647; the ID is bytes 8..11 as they stand; the purpose is byte 16.
Result<std::int32_t> RecordIndex(ByteView record);
Result<std::int32_t> RecordLengthField(ByteView record);
Result<std::string> RecordId(ByteView record);
Result<std::uint8_t> RecordPurpose(ByteView record);

// A whole melody record, as an RE file or the synthesiser's input holds one: its length
// field (bytes 4..7) gives its own size. Anything else is read as bare tone data.
bool IsWholeRecord(ByteView bytes);

// Play mode 0..3 = 2 * (0A 0A in the last 11 bytes) + (0A 0E in the last 11 bytes).
int RecordPlayMode(ByteView record);
std::string_view PlayModeText(int playMode);

// Without its trailing 0xFF bytes (all of them, not at most three).
Bytes StripFill(ByteView bytes);
// Followed by 0xFF bytes up to the next multiple of 4.
Bytes AddFill(ByteView bytes);

// A complete record in the given format, as the property panel writes it:
// index; length; ID + four spaces cut to 4 bytes; 0x00 (and one more 0x00 in Unicode);
// dword of the name's character count + 1; the name bytes (widened in Unicode); the tail
// with its fill stripped; new fill. In Unicode a given purpose replaces byte 16.
// BadInput for an index outside 0..2147483647, a purpose outside 0..255 or a name of
// more than kMaxNameLength characters.
Result<Bytes> BuildRecord(std::int64_t index, std::string_view idText, std::string_view nameText, ByteView tail,
                          std::optional<std::int64_t> purpose, TextFormat format);

// Bytes 4..7 set to the record's own length (the record must be at least 8 bytes long).
void SetRecordLength(Bytes& record);

}  // namespace belltower::formats
