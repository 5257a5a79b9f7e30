// The melody file formats on the command line: RE files (one melody record), ringtone text
// (RTX or ERT), Standard MIDI Files and Smart Messaging (.ott) ringtones.
#pragma once

#include <string>
#include <string_view>

#include <CLI/CLI.hpp>

#include "cli/console.h"
#include "formats/bytes.h"
#include "formats/names.h"
#include "formats/result.h"
#include "interchange/melody_file.h"
#include "melody/melody_fields.h"

namespace belltower::cli {

// The melody file formats, recognised and written by the core (interchange/melody_file.h);
// here with the command line's warnings and its --to option.
using interchange::Extension;
using interchange::MelodyContent;
using interchange::MelodyOutput;
using interchange::RecogniseMelody;
using interchange::RestoringOptions;

// A melody file of any kind as the edit fields (ringtone text over default fields), with
// what the conversion could not keep warned about. The reader's error when a MIDI or .ott
// file is refused.
formats::Result<melody::MelodyFields> ReadMelodyFields(const formats::Bytes& bytes, Console& console);

// --to with the given choices (a subset of ascii, unicode, re, rtx, mid, ott; any case).
CLI::Option* AddMelodyOutputOption(CLI::App& command, const std::string& name, MelodyOutput& target,
                                   const std::vector<std::string>& choices, const std::string& description);

// The edit fields written in a format (interchange::WriteMelodyFields), its warnings on the
// console.
formats::Result<formats::Bytes> WriteMelodyFields(const melody::MelodyFields& fields, MelodyOutput format,
                                                  Console& console);

// A melody record written in a format: an RE file converted to the text format asked for, or
// written as interchange::WriteMelodyRecord writes it, its warnings on the console.
formats::Result<formats::Bytes> WriteMelodyRecord(formats::ByteView record, formats::TextFormat recordFormat,
                                                  MelodyOutput format, Console& console);

}  // namespace belltower::cli
