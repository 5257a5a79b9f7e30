// SPDX-License-Identifier: GPL-3.0-or-later
// The commands of belltower-cli and what each one runs.
//
// A group of commands lives in its own file (melody_commands.cpp, ...) with one Add function
// declared in command_groups.h. The Add function creates its CLI11 subcommands through
// CommandTable, binds their options to a state object the table keeps through a shared_ptr
// (AddCommandWith), and gives each command an Action that runs after the whole command line has
// been parsed.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/cli.h"
#include "cli/console.h"

namespace belltower::cli {

using Action = std::function<ExitStatus(Console& console, const GlobalOptions& global)>;

class CommandTable {
public:
    // A command under parent (the program, or a group) that runs action when it is the one
    // given. examples go into the help's footer, one command line per line.
    CLI::App* AddCommand(CLI::App& parent, const std::string& name, const std::string& description,
                         const std::string& examples, Action action);

    // AddCommand of a command whose options are a T the table keeps alive: they are bound to
    // the returned command's options, and run(options, console[, global]) runs it.
    template <typename T, typename Run>
    std::pair<CLI::App*, std::shared_ptr<T>> AddCommandWith(CLI::App& parent, const std::string& name,
                                                            const std::string& description, const std::string& examples,
                                                            Run run) {
        auto options = std::make_shared<T>();
        CLI::App* command = AddCommand(parent, name, description, examples,
                                       [options, run](Console& console, const GlobalOptions& global) {
                                           if constexpr (std::is_invocable_v<Run, T&, Console&, const GlobalOptions&>) {
                                               return run(*options, console, global);
                                           } else {
                                               return run(*options, console);
                                           }
                                       });
        return {command, options};
    }

    // A group of commands ("bank list", "bank export" ...): it needs one of its commands.
    static CLI::App* AddGroup(CLI::App& parent, const std::string& name, const std::string& description);

    // The action of the command that was parsed, or nullptr when app has none.
    const Action* Find(const CLI::App& app) const;

private:
    std::vector<std::pair<const CLI::App*, Action>> actions_;
};

}  // namespace belltower::cli
