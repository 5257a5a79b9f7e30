// The melody file formats of the command line, recognised and written in this one place:
// RE files (one melody record), ringtone text (RTX or ERT), Standard MIDI Files and Smart
// Messaging (.ott) ringtones.
#pragma once

#include <string>
#include <string_view>

#include <CLI/CLI.hpp>

#include "cli/console.h"
#include "formats/bytes.h"
#include "formats/names.h"
#include "formats/result.h"
#include "melody/melody_fields.h"

namespace belltower::cli {

// What a melody file holds, told from its bytes, never from its name.
enum class MelodyContent { Record, Midi, Ott, Ringtone };

// "MThd" first: MIDI; then a valid RE file (its length field equals its size); then the .ott
// header; anything else is ringtone text.
MelodyContent RecogniseMelody(formats::ByteView bytes);

// A melody file of any kind as the edit fields: ringtone text as Open RTX reads it, an RE file
// through the tone decoder, MIDI and .ott through their readers. What the conversion could not
// keep is warned about (a decoder's loss names its byte offset). The reader's error when a
// MIDI or .ott file is refused.
formats::Result<melody::MelodyFields> ReadMelodyFields(const formats::Bytes& bytes, Console& console);

// The formats a melody can be written in.
enum class MelodyOutput { ReAscii, ReUnicode, Rtx, Mid, Ott };

// The file name extension of a format, with its dot: ".re", ".rtx", ".mid", ".ott".
std::string_view Extension(MelodyOutput format);

// --to with the given choices (a subset of ascii, unicode, re, rtx, mid, ott; any case).
CLI::Option* AddMelodyOutputOption(CLI::App& command, const std::string& name, MelodyOutput& target,
                                   const std::vector<std::string>& choices, const std::string& description);

// The edit fields written in a format: an RE file through the tone encoder; ringtone text with
// every setting written out (the option ticks text cannot hold are warned about as the encode
// options that restore them); MIDI from the encoded melody; .ott through its writer, with its
// warnings. The encoder's or writer's error otherwise.
formats::Result<formats::Bytes> WriteMelodyFields(const melody::MelodyFields& fields, MelodyOutput format,
                                                  Console& console);

// A melody record written in a format: an RE file converted to the text format asked for, or
// the record decoded and written as WriteMelodyFields writes it.
formats::Result<formats::Bytes> WriteMelodyRecord(formats::ByteView record, formats::TextFormat recordFormat,
                                                  MelodyOutput format, Console& console);

// The encode options that restore what ringtone text cannot hold ("--twice --no-small-pauses"),
// empty when there is nothing to restore.
std::string RestoringOptions(const melody::MelodyFields& fields);

}  // namespace belltower::cli
