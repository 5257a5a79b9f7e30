// SPDX-License-Identifier: GPL-3.0-or-later
// The tone bank: the melodies being edited and the firmware image around their TONE chunk.
//
// One ToneBank is the whole editing state of a session. The firmware reader fills it, the
// list operations, the property panel and the RE import change it, and the firmware writer
// writes it out without changing it. It holds no Qt types, so the desktop window and the
// command line share it.
//
// A loaded image is kept in three pieces; the TONE chunk between Head and Middle is not kept,
// it is rebuilt from Records on every save:
//
//   image offset                size               piece
//   0                           T                  FirmwareHead: everything before the TONE chunk
//   T                           N                  (the TONE chunk, rebuilt on save)
//   T + N                       ChainEnd - (T + N) FirmwareMiddle: the chunks after TONE and the
//                                                  36-byte chain end marker
//   ChainEnd                    size - ChainEnd    FirmwareTail: everything behind the chain
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "formats/bytes.h"
#include "formats/names.h"

namespace belltower::bank {

// The reader takes at most 301 melodies from an image; editing never grows a bank past 300.
inline constexpr std::size_t kMaxRecordsLoaded = 301;
inline constexpr std::size_t kMaxRecordsEdited = 300;

// The bank's melodies and images are byte strings of the formats layer.
using formats::Bytes;
using formats::ByteView;

// The selected line of the melody list, or nothing selected.
using Selection = std::optional<std::size_t>;

struct ToneBank {
    // The melody records in list order: Records[i] belongs to list line i. Every record is
    // in the format UnicodeNames states and has a readable name (the reader, the list
    // operations and the RE import refuse anything else).
    std::vector<Bytes> Records;
    // The list lines, kept in step with Records: the record's name with its zero bytes
    // removed, one char per byte (Latin-1 when shown).
    std::vector<std::string> Lines;
    formats::TextFormat UnicodeNames = formats::TextFormat::Ascii;

    Bytes FirmwareHead;
    Bytes FirmwareMiddle;
    Bytes FirmwareTail;
    // 0-based offset in the loaded image of the first byte after the chain end marker, which
    // is also the length of head + old TONE chunk + middle. 0 while no firmware is loaded.
    std::size_t ChainEnd = 0;
    // The first 44 bytes of the PPM section with control bytes shown as spaces (ToPrintable).
    std::string HeaderText;
    // Set by a successful firmware load and never cleared by editing. Without it a save
    // writes the bare TONE chunk. (An empty FirmwareTail does not mean "no firmware": an
    // image may end right behind its chain end marker.)
    bool FirmwareLoaded = false;

    std::size_t Count() const { return Records.size(); }
    bool IsUnicode() const { return UnicodeNames == formats::TextFormat::Unicode; }

    friend bool operator==(const ToneBank&, const ToneBank&) = default;
};

// The melody counter: the number of list lines in decimal digits ("0", "12").
std::string CountText(const ToneBank& bank);

// The header line shown after a load: HeaderText followed by "[Unicode]" or "[ASCII]".
std::string HeaderCaption(const ToneBank& bank);

}  // namespace belltower::bank
