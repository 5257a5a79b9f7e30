// SPDX-License-Identifier: GPL-3.0-or-later
// The property panel under the melody list: one record's name, ID, index, purpose and play
// mode shown as texts, and the typed texts written back into the record.
//
// Fields (record layout in formats/record.h, offsets 0-based):
//   name     shown as the name bytes without zero bytes; written widened in a Unicode bank
//   ID       bytes 8..11 as they stand, spaces included; written as text + 4 spaces, cut to 4
//   index    bytes 0..3 as a decimal number; written from the text's leading number
//   purpose  byte 16, Unicode banks only ("n/a" in an ASCII bank)
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "bank/tone_bank.h"
#include "formats/bytes.h"
#include "formats/names.h"
#include "formats/result.h"

namespace belltower::bank {

// The name box takes at most this many characters; longer names would also break the
// Unicode format detection, which expects a name-length byte of at most 31.
inline constexpr std::size_t kMaxNameCharacters = 30;
// A name longer than this is allowed but may be cut on the phone's display.

inline constexpr std::string_view kNotApplicable = "n/a";

// What the panel shows for one record.
struct RecordView {
    std::string name;         // Text10
    std::string id;           // Text11, the four ID bytes
    std::string indexText;    // Text12, decimal digits
    std::string purposeText;  // Text13: decimal digits in a Unicode bank, "n/a" in an ASCII one
    bool purposeEnabled = false;
    int playMode = 0;          // 0..3
    std::string playModeText;  // Label13
    std::string applyCaption;  // "Apply to " + name

    friend bool operator==(const RecordView&, const RecordView&) = default;
};

// The record's fields as texts. DamagedData when the record is too short for its header or
// its name (the panel then shows it as damaged and keeps Apply disabled).
formats::Result<RecordView> DescribeRecord(formats::ByteView record, formats::TextFormat format);

// The record of list line listIndex (which must exist).
formats::Result<RecordView> ShowRecord(const ToneBank& bank, std::size_t listIndex);

// The texts of the panel's four boxes as typed.
struct RecordEdits {
    std::string name;
    std::string id;
    std::string indexText;
    std::string purposeText;  // read only in a Unicode bank
};

struct AppliedRecord {
    formats::Bytes record;
    std::string line;  // the new list line: the name as typed
};

// The record rebuilt from the boxes and the old record's tail (terminator, tone data, fill).
// Numbers are the texts' leading numbers rounded half to even ("7x" is 7, "abc" 0, "2.5" 2).
// BadInput, with nothing built, for an index outside 0..2147483647, a purpose outside 0..255
// (Unicode only), a name of more than 30 characters (Unicode only) or, in ASCII, a name
// beginning with a control character (kControlCharacterFirst in list_operations.h);
// DamagedData when the old record's name cannot be read or has no terminator
// (kNoNameTerminator, list_operations.h). The line is the name as the list shows it, without
// zero bytes.
formats::Result<AppliedRecord> RebuildRecord(formats::ByteView oldRecord, const RecordEdits& edits,
                                             formats::TextFormat format);

// Rebuilds the record of line listIndex (which must exist) and stores it with its new line.
// On error the bank is unchanged.
formats::Result<void> ApplyRecordEdits(ToneBank& bank, std::size_t listIndex, const RecordEdits& edits);

}  // namespace belltower::bank
