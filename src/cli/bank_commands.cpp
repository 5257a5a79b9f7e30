// SPDX-License-Identifier: GPL-3.0-or-later
// bank ...: the melody bank of a firmware image, as the window's bank list edits it.
//
// Every command loads the image as Load Firmware does. The editing commands then do what one
// list button does (positions count from 1, as the list's lines are numbered for the user)
// and save the image as Save Firmware does, with the same warnings, to a new file (which may
// be the image itself: it is replaced only once the new image is complete).
//
// The commands live by family: bank_view_commands.cpp (list, export), bank_melody_commands.cpp
// (insert, replace), bank_edit_commands.cpp (save, delete, move, reindex, set); what they share
// is in bank_support.h, the listing's table and JSON in bank_printers.h.
#include "cli/bank_support.h"
#include "cli/command_groups.h"

namespace belltower::cli {

void AddBankCommands(CLI::App& app, CommandTable& table) {
    CLI::App* group =
        CommandTable::AddGroup(app, "bank", "Show and edit the melody bank (TONE chunk) of a firmware image.");
    AddBankViewCommands(*group, table);
    AddBankSaveCommand(*group, table);
    AddBankMelodyCommands(*group, table);
    AddBankEditCommands(*group, table);
}

}  // namespace belltower::cli
