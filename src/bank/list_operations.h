// SPDX-License-Identifier: GPL-3.0-or-later
// The melody list as a list: move, replace, insert, delete and renumber melodies, keeping
// ToneBank::Records and ToneBank::Lines in step. Each operation changes the bank completely
// or not at all.
//
// Replace and Insert take the new record already made (by the tone encoder or from an RE
// file) in the bank's text format; a failed encode never reaches these functions.
//
// After any of them the property panel's Apply is to be disabled; the operations that return
// a selection want that line selected and shown (ShowRecord in record_properties.h).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "bank/tone_bank.h"
#include "formats/bytes.h"
#include "formats/result.h"

namespace belltower::bank {

inline constexpr std::string_view kBankFull = "You cannot add more than 300 melodies!";
// The text format of a bank is told from its first record: an ASCII record whose name begins
// with a byte 1..31 looks Unicode there, and the saved image would read back as a Unicode bank.
inline constexpr std::string_view kControlCharacterFirst =
    "A melody name in an ASCII bank cannot begin with a control character: the bank would read back as "
    "Unicode.";

inline constexpr std::string_view kNoNameTerminator =
    "The melody record has no terminator after its name: it is damaged.";

// A loaded image may hold, further down its list, a record that reads as the other text format
// when it comes first; the image then reads back garbled or not at all. Such a record must
// never be brought to the top.
enum class ListChange { MoveUp, MoveDown, Delete };

// True when line, brought to the top, would make the bank read back in the other format.
bool ReadsAsOtherFormatFirst(const ToneBank& bank, std::size_t line);
// Why line cannot come first, naming the melody.
std::string CannotComeFirstText(const ToneBank& bank, std::size_t line);

// BadInput (CannotComeFirstText) when the change of the selected line would bring such a
// record to the top; nothing to refuse otherwise (a change that does nothing included).
formats::Result<void> CheckListChange(const ToneBank& bank, ListChange change, Selection selected);

// DamagedData kNoNameTerminator when the name is not followed by its terminator (one zero byte
// per byte of a character): the format conversions, the export and the property panel take the
// record apart there. The error of RecordTail when the name cannot be read.
formats::Result<void> CheckNameTerminator(formats::ByteView record, formats::TextFormat format);

// Swap the selected line with the one above / below. Return the moved line's new position,
// or nothing (and change nothing) when nothing is selected, the line is already first / last,
// or CheckListChange refuses. Every record keeps its index field.
Selection MoveUp(ToneBank& bank, Selection selected);
Selection MoveDown(ToneBank& bank, Selection selected);

// The selected melody gets the new record's name, tone data and length while keeping its
// place in the phone: the old index (bytes 0..3), ID (bytes 8..11) and, in a Unicode bank,
// purpose (byte 16) are written into the new record. Returns the line to show; nothing when
// nothing is selected. The error of CheckRecordForBank, bank unchanged, when the record is
// not fit for the bank (an empty record included).
formats::Result<Selection> Replace(ToneBank& bank, Selection selected, formats::ByteView newRecord);

// Where Insert puts a new melody: 0 in an empty list, else the selected line. Nothing when
// nothing is selected in a non-empty list; Limit error kBankFull when the list already has
// 300 lines. Callers ask this before they make the record (before encoding, before the
// file dialog), then call Insert.
formats::Result<Selection> InsertPosition(const ToneBank& bank, Selection selected);

// The new record goes in above the selected line (at InsertPosition), with the record's own
// index, ID and purpose; the lines from there on move down one. Returns the new line's
// position. Same refusals as InsertPosition and Replace; the bank is unchanged on error.
formats::Result<Selection> Insert(ToneBank& bank, Selection selected, formats::ByteView newRecord);

// Removes the selected line and its record; afterwards nothing is selected. False (nothing
// changed) when nothing was selected or CheckListChange refuses.
bool Delete(ToneBank& bank, Selection selected);

// Every record's index becomes its list position counted from 1.
void Reindex(ToneBank& bank);

// The header fields Replace carries over (index, ID and, in Unicode, purpose) copied from one
// record into another of the same format. Both must hold at least the 17/18-byte header.
void CarryHeaderFields(formats::ByteView from, formats::Bytes& to, formats::TextFormat format);

// A record fit for the bank: its length field is its size and its name is readable and ends
// with its terminator (DamagedData otherwise); in a Unicode bank the name has at most 30
// characters, in an ASCII bank it does not begin with a control character (BadInput,
// kControlCharacterFirst). Returns the line it lists as.
formats::Result<std::string> CheckRecordForBank(formats::ByteView record, formats::TextFormat format);

}  // namespace belltower::bank
