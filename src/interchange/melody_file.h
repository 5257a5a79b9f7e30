// Melody files of every kind Belltower reads and writes, told apart by their bytes: RE files
// (one melody record), Standard MIDI Files, Smart Messaging (.ott) ringtones and ringtone
// text (RTX or ERT). The window and the command line both open and write melodies here, so
// a file reads the same wherever it is opened.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formats/bytes.h"
#include "formats/result.h"
#include "melody/melody_fields.h"

namespace belltower::interchange {

// What a melody file holds, told from its bytes, never from its name.
enum class MelodyContent { Record, Midi, Ott, Ringtone };

// "MThd" first: MIDI, unless its header chunk does not fit the file and the bytes read as
// ringtone text (a melody named "MThd..."); then a melody record whose length field equals the file's size; then
// the .ott header; anything else is ringtone text.
MelodyContent RecogniseMelody(formats::ByteView bytes);

struct MelodyImport {
    melody::MelodyFields fields;
    // What the conversion could not keep, one sentence each; a tone decoder's loss begins
    // with its byte offset ("byte 14: ...").
    std::vector<std::string> warnings;
};

// A melody file of any kind as the edit fields. Ringtone text is read over `base`, as Open
// RTX reads it (settings the line does not give keep their values); an RE file goes through
// the tone decoder, MIDI and .ott through their readers. Fails only when a MIDI or .ott file
// is refused (the reader's DamagedData or BadInput error).
formats::Result<MelodyImport> ReadMelodyFile(formats::ByteView bytes, melody::MelodyFields base = {});

// A melody record (or bare tone data) as the edit fields through the tone decoder, whatever
// the bytes: a damaged record gives empty fields and a warning that says why.
MelodyImport ReadMelodyRecord(formats::ByteView record);

// The formats a melody can be written in.
enum class MelodyOutput { ReAscii, ReUnicode, Rtx, Mid, Ott };

// The file name extension of a format, with its dot: ".re", ".rtx", ".mid", ".ott".
std::string_view Extension(MelodyOutput format);

struct MelodyExport {
    formats::Bytes bytes;
    std::vector<std::string> warnings;  // what the format could not hold
};

// The edit fields written in a format: an RE file through the tone encoder (an empty melody
// warns with the encoder's "No data!" text); ringtone text with every setting written out,
// warning of the option ticks that text cannot hold as the encode options that restore them;
// MIDI from the encoded melody; .ott through its writer. The encoder's or writer's error
// otherwise.
formats::Result<MelodyExport> WriteMelodyFields(const melody::MelodyFields& fields, MelodyOutput format);

// A melody record as ringtone text, MIDI or .ott: MIDI straight from its tone data (the file
// plays what the phone plays), the others from the decoded fields, the decoder's losses among
// the warnings. RE output is a text-format conversion of the record, which the bank does.
formats::Result<MelodyExport> WriteMelodyRecord(formats::ByteView record, MelodyOutput format);

// The encode options that restore what ringtone text cannot hold ("--twice --no-small-pauses"),
// empty when there is nothing to restore.
std::string RestoringOptions(const melody::MelodyFields& fields);

}  // namespace belltower::interchange
