// SPDX-License-Identifier: GPL-3.0-or-later
// The table of melody formats: one row for every kind of melody file Belltower reads or
// writes, saying how the format is named and recognised, how it is read and written, and what
// it cannot hold. Opening a file, the command line's --to, --from and `formats`, and the
// window's file dialogs all go by this table, so a new format is one file and one row.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formats/bytes.h"
#include "formats/names.h"
#include "formats/result.h"
#include "melody/melody_fields.h"
#include "melody/score.h"

namespace belltower::interchange {

// What a melody file holds.
enum class MelodyContent { Record, Midi, Ott, Imelody, Composer, Ringtone, ToneData };

struct MelodyImport {
    // The melody as read, and the same as edit fields.
    melody::Score score;
    melody::MelodyFields fields;
    // What the conversion could not keep, one sentence each; a tone decoder's loss begins
    // with its byte offset ("byte 14: ...").
    std::vector<std::string> warnings;
};

// A melody read from a file, its edit fields written from it with `separator` between the
// tokens of the notes.
MelodyImport ImportOf(melody::Score score, std::vector<std::string> warnings, char separator = ' ');

struct MelodyExport {
    formats::Bytes bytes;
    std::vector<std::string> warnings;  // what the format could not hold
};

struct MelodyFormat {
    MelodyContent content;
    // The name the command line takes ("mid"), and a description for lists and file dialogs.
    std::string_view name;
    std::string_view description;
    // The file name extensions, without their dot; the first is the one written. None for
    // data that has no files of its own.
    std::span<const std::string_view> extensions;
    // True when the bytes are of this format. Recognition tries the rows in table order and
    // takes the first that answers true; what no row recognises is ringtone text. nullptr for
    // ringtone text and for data whose bytes cannot be told apart, read only when named (--from).
    bool (*recognise)(formats::ByteView bytes);
    // The file as the edit fields. Ringtone text is read over `base` (settings the line does
    // not give keep their values); the other formats ignore it. The reader's BadInput or
    // DamagedData error when it refuses the file.
    formats::Result<MelodyImport> (*read)(formats::ByteView bytes, const melody::MelodyFields& base);
    // The edit fields written in the format; `form` is the text format of a record's name.
    // nullptr for a format that is only read.
    formats::Result<MelodyExport> (*write)(const melody::MelodyFields& fields, formats::TextFormat form);
    // What a melody loses in this format, one sentence.
    std::string_view cannotHold;
};

// Every row: RE, ringtone text, MIDI, .ott, iMelody, Composer codes, bare tone data; recognition
// tries them in this order.
std::span<const MelodyFormat> MelodyFormats();

// The row of a name, in any case ("MID"); nullptr when no row has it.
const MelodyFormat* FindMelodyFormat(std::string_view name);

// The row of a content.
const MelodyFormat& FormatOf(MelodyContent content);

// What the bytes hold, never judged by a file name: the first row that recognises them.
MelodyContent RecogniseMelody(formats::ByteView bytes);

// A row as a file dialog filter, description and patterns separated by a bar:
// "MIDI file|*.mid;*.midi"; empty for a row without extensions.
std::string FileDialogFilter(const MelodyFormat& format);

// The row that writes files with this extension (no dot, any case); nullptr when none does.
const MelodyFormat* FindMelodyFormatByExtension(std::string_view extension);

}  // namespace belltower::interchange
