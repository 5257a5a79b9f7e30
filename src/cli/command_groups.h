// The groups of commands. To add a group: write <group>_commands.cpp with its Add function,
// declare the function here and list it in kCommandGroups in cli.cpp.
#pragma once

#include "cli/command_table.h"

namespace belltower::cli {

// encode, to-rtx: ringtone text in, RE record or normalised ringtone text out.
void AddMelodyCommands(CLI::App& app, CommandTable& table);

}  // namespace belltower::cli
