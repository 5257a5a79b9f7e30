// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/command_table.h"

#include <algorithm>

namespace belltower::cli {

CLI::App* CommandTable::AddCommand(CLI::App& parent, const std::string& name, const std::string& description,
                                   const std::string& examples, Action action) {
    CLI::App* command = parent.add_subcommand(name, description);
    // Examples may be given as a raw string that starts on the line after its quote.
    command->footer("Examples:\n" + (examples.starts_with('\n') ? examples.substr(1) : examples));
    actions_.emplace_back(command, std::move(action));
    return command;
}

CLI::App* CommandTable::AddGroup(CLI::App& parent, const std::string& name, const std::string& description) {
    CLI::App* group = parent.add_subcommand(name, description);
    group->require_subcommand(1);
    return group;
}

const Action* CommandTable::Find(const CLI::App& app) const {
    const auto found =
        std::find_if(actions_.begin(), actions_.end(), [&](const auto& entry) { return entry.first == &app; });
    return found == actions_.end() ? nullptr : &found->second;
}

}  // namespace belltower::cli
