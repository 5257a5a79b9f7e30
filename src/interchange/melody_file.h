// SPDX-License-Identifier: GPL-3.0-or-later
// Melody files of every kind Belltower reads and writes (see the table of formats): RE files
// (one melody record), Standard MIDI Files, Smart Messaging (.ott) ringtones, ringtone text
// (RTX or ERT) and bare tone data. The window and the command line both open and write
// melodies here, so a file reads the same wherever it is opened.
#pragma once

#include <string>
#include <string_view>

#include "formats/bytes.h"
#include "formats/result.h"
#include "interchange/format_table.h"
#include "interchange/midi_tracks.h"
#include "melody/melody_fields.h"

namespace belltower::interchange {

// A melody file of any kind as the edit fields, read by the row `as`, or when it is nullptr by
// the row that recognises the bytes. Ringtone text is read over `base`, as Open RTX reads it
// (settings the line does not give keep their values). A MIDI file is read with `midi`'s
// choice of track, voice and transposition. Fails only when a reader refuses the file (the
// reader's DamagedData or BadInput error).
formats::Result<MelodyImport> ReadMelodyFile(formats::ByteView bytes, const melody::MelodyFields& base = {},
                                             const MelodyFormat* as = nullptr, const MidiReadOptions& midi = {});

// A melody record (or bare tone data) as the edit fields through the tone decoder, whatever
// the bytes: a damaged record gives empty fields and a warning that says why.
MelodyImport ReadMelodyRecord(formats::ByteView record);

// Bare tone data, with no record header, as the edit fields through the tone decoder.
MelodyImport ReadToneData(formats::ByteView toneData);

// A file starts with "MThd" and, unless it reads as ringtone text (a melody named "MThd..."),
// is not refused by the ringtone-text check: its header chunk fits the file.
bool LooksLikeMidiFile(formats::ByteView bytes);

// The formats a melody can be written in: a row of the table, and for RE files the text
// format of the name.
enum class MelodyOutput { ReAscii, ReUnicode, Rtx, Mid, Ott, Imy, Composer };

// The row an output is written by.
const MelodyFormat& FormatOf(MelodyOutput format);

// The output of a row that writes; an RE file with its name in `form`.
MelodyOutput OutputOf(MelodyContent content, formats::TextFormat form);

// The file name extension of a format, with its dot: ".re", ".rtx", ".mid", ".ott".
std::string Extension(MelodyOutput format);

// The edit fields written in a format by its row: an RE file through the tone encoder (an
// empty melody warns with the encoder's "No data!" text); ringtone text with every setting
// written out, warning of the option ticks that text cannot hold as the encode options that
// restore them; MIDI from the encoded melody; .ott through its writer. The encoder's or
// writer's error otherwise.
formats::Result<MelodyExport> WriteMelodyFields(const melody::MelodyFields& fields, MelodyOutput format);

// A melody record as ringtone text, MIDI or .ott: MIDI straight from its tone data (the file
// plays what the phone plays), the others from the decoded fields, the decoder's losses among
// the warnings. RE output is a text-format conversion of the record, which the bank does.
formats::Result<MelodyExport> WriteMelodyRecord(formats::ByteView record, MelodyOutput format);

// The encode options that restore what ringtone text cannot hold ("--twice --no-small-pauses"),
// empty when there is nothing to restore.
std::string RestoringOptions(const melody::MelodyFields& fields);

}  // namespace belltower::interchange
