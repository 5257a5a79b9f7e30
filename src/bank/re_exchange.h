// SPDX-License-Identifier: GPL-3.0-or-later
// RE files (one melody record, the whole file being the record) in and out of the bank, and
// the conversion of records between the phones' two text formats.
//
// The formats differ only from offset 13 on (layouts in formats/record.h):
//   ASCII    ... 12: 00 | 13..16: name-length dword L+1     | 17: name (L)  | 00          | tone data
//   Unicode  ... 12: 00 | 13: 00 | 14..17: 00 00 purpose L+1 | 18: name (2L) | 00 00       | tone data
// The index, the ID, the name-length byte and the tone data are the same bytes in both; the
// record length field holds each record's own length, fill included.
#pragma once

#include "bank/tone_bank.h"
#include "formats/bytes.h"
#include "formats/file_io.h"
#include "formats/names.h"
#include "formats/result.h"

#include <filesystem>
#include <string_view>

namespace belltower::bank {

inline constexpr std::string_view kNotValidReFile = "Not a valid raw melody file!";

// ASCII record -> Unicode record: a 00 inserted after offset 12, the name widened, the
// terminator doubled, refilled, length field set. The purpose (new byte 16) is the ASCII
// record's byte 15, 0 in every record written by the phones' tools. Every trailing 0xFF of
// the tone data goes with the fill. DamagedData for a name-length byte of 0 or a record that
// ends before its header, name or terminator.
formats::Result<formats::Bytes> RecordToUnicode(formats::ByteView asciiRecord);

// Unicode record -> ASCII record: offset 13 dropped, the name narrowed (zero bytes removed),
// the first terminator byte dropped, the old purpose cleared, refilled, length field set.
// The name-length byte is carried over. DamagedData as RecordToUnicode; BadInput when a name
// character has two non-zero bytes (or is 00 00): its ASCII form would not fit the
// name-length byte.
formats::Result<formats::Bytes> RecordToAscii(formats::ByteView unicodeRecord);

// The record in the wanted format, converted when DetectRecordFormat says it is in the other.
formats::Result<formats::Bytes> ConvertRecord(formats::ByteView record, formats::TextFormat wanted);

// An RE file is valid when it has at least 8 bytes and its record length field equals its
// size. DamagedData kNotValidReFile otherwise.
formats::Result<void> ValidateReFile(formats::ByteView file);

// A file's record made fit for the bank: validated, converted to the bank's format, readable.
formats::Result<formats::Bytes> RecordFromReFile(formats::ByteView file, formats::TextFormat bankFormat);

// Replace the selected melody with the file's record, keeping the melody's index, ID and (in
// a Unicode bank) purpose; insert the file's record above the selected melody with its own
// header. Same results as Replace and Insert in list_operations.h; a rejected file (any
// error) leaves the bank exactly as it was. Insert callers check InsertPosition before
// they show a file dialog.
formats::Result<Selection> ReplaceFromRe(ToneBank& bank, Selection selected, formats::ByteView file);
formats::Result<Selection> InsertFromRe(ToneBank& bank, Selection selected, formats::ByteView file);

// The bytes of an RE file for a record of the bank in the format the user chose: the record
// unchanged when the formats agree, else converted. The caller writes them once, atomically.
// DamagedData kNoNameTerminator for a record without terminator after its name. Besides the errors of the conversion,
// BadInput when the file would be taken for the other format on import (DetectRecordFormat): an ASCII name beginning
// with a control character, a Unicode name longer than 30 characters with a purpose other than 0.
formats::Result<formats::Bytes> ExportRecord(formats::ByteView record, formats::TextFormat bankFormat,
                                             formats::TextFormat chosenFormat);

// ExportRecord written to path as an RE file through formats::WriteFileAtomic: nothing is
// written when the record cannot be exported, and a failed write (Io error with the operating
// system's description) leaves an existing file byte for byte. `fault` is for tests.
formats::Result<void> ExportReFile(const std::filesystem::path& path, formats::ByteView record,
                                   formats::TextFormat bankFormat, formats::TextFormat chosenFormat,
                                   const formats::WriteFault* fault = nullptr);

}  // namespace belltower::bank
