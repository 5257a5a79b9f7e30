// SPDX-License-Identifier: GPL-3.0-or-later
// The groups of commands. To add a group: write <group>_commands.cpp with its Add function,
// declare the function here and list it in kCommandGroups in cli.cpp.
#pragma once

#include "cli/command_table.h"

namespace belltower::cli {

// encode, to-rtx: ringtone text in, RE record or normalised ringtone text out.
void AddMelodyCommands(CLI::App& app, CommandTable& table);

// decode: any melody file as ringtone text.
void AddDecodeCommands(CLI::App& app, CommandTable& table);

// render: a melody previewed into a WAV file.
void AddRenderCommands(CLI::App& app, CommandTable& table);

// roll: a melody drawn as a piano roll into an SVG picture.
void AddRollCommands(CLI::App& app, CommandTable& table);

// fit: whether a melody fits the phone, its Composer, an SMS and a firmware image.
void AddFitCommands(CLI::App& app, CommandTable& table);

// tracks: the tracks of a MIDI file and the one an import reads by default.
void AddTracksCommands(CLI::App& app, CommandTable& table);

// formats: the melody formats read and written, from the table of formats.
void AddFormatCommands(CLI::App& app, CommandTable& table);

// convert: an RE file in the other text format.
void AddConvertCommands(CLI::App& app, CommandTable& table);

// bank list, export, save, insert, replace, delete, move, reindex, set: the melody bank of a
// firmware image.
void AddBankCommands(CLI::App& app, CommandTable& table);

// completion: a shell completion script written from the commands added before it.
void AddCompletionCommands(CLI::App& app, CommandTable& table);

}  // namespace belltower::cli
