// SPDX-License-Identifier: GPL-3.0-or-later
// The melody file formats on the command line, from the core's table of formats
// (interchange/format_table.h): --to and --from take the names of its rows, `formats` lists
// them, and what a conversion could not keep is warned about on the console.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/console.h"
#include "formats/bytes.h"
#include "formats/names.h"
#include "formats/result.h"
#include "interchange/melody_file.h"
#include "interchange/midi_tracks.h"
#include "melody/melody_fields.h"

namespace belltower::cli {

using interchange::Extension;
using interchange::MelodyContent;
using interchange::MelodyFormat;
using interchange::MelodyOutput;
using interchange::RecogniseMelody;
using interchange::RestoringOptions;

// How --to offers RE files: as "re" (the command sets the name's text format by another
// option), or as "ascii" and "unicode".
enum class RecordChoices { Re, TextFormats };

// --to with every format the table writes (any case).
CLI::Option* AddMelodyOutputOption(CLI::App& command, MelodyOutput& target, RecordChoices records,
                                   const std::string& description);

// How a command reads its melody input: the format --from names (empty: recognise the
// bytes), and for a MIDI file the track, channel, voice rule, transposition and limits.
struct MelodyInputOptions {
    std::string from;
    interchange::MidiReadOptions midi;

    // The row --from names; nullptr when it is empty (recognise the input's bytes).
    const MelodyFormat* Format() const;
};

// A command that reads one melody file and writes one file: IN, -o and how IN is read.
struct MelodyFileJob {
    std::string input;
    std::string output;
    MelodyInputOptions reading;
};

// IN (any melody file, recognised by its content), the options of AddMelodyInputOptions and
// -o OUT (`outputHelp`, `outputType` naming it in the help).
void AddMelodyFileJob(CLI::App& command, MelodyFileJob& target, const std::string& outputHelp,
                      const std::string& outputType, const std::string& hardware = {});

// The options of every command that reads a melody: --from FORMAT with every format the table
// reads (any case), --track, --channel, --voice, --transpose, --max-notes, --max-seconds and
// --hardware (the range --transpose auto aims at; `hardware` describes what else it does on
// the command).
void AddMelodyInputOptions(CLI::App& command, MelodyInputOptions& target, const std::string& hardware = {});

// Each warning on the console, after `prefix` when it is not empty.
void WarnAll(const std::vector<std::string>& warnings, Console& console, const std::string& prefix = {});

// The edit fields written in a format (interchange::WriteMelodyFields), its warnings on the
// console.
formats::Result<formats::Bytes> WriteMelodyFields(const melody::MelodyFields& fields, MelodyOutput format,
                                                  Console& console);

// A melody record written in a format: an RE file converted to the text format asked for, or
// written as interchange::WriteMelodyRecord writes it, its warnings on the console.
formats::Result<formats::Bytes> WriteMelodyRecord(formats::ByteView record, formats::TextFormat recordFormat,
                                                  MelodyOutput format, Console& console);

}  // namespace belltower::cli
