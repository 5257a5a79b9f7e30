// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli.h"

#include <istream>
#include <ostream>

#include "belltower_version.h"
#include "cli/command_groups.h"
#include "cli/command_table.h"
#include "cli/console.h"

namespace belltower::cli {
namespace {

using AddGroupFunction = void (*)(CLI::App&, CommandTable&);

// Every group of commands the program offers, in the order --help lists them.
constexpr AddGroupFunction kCommandGroups[] = {
    AddMelodyCommands, AddDecodeCommands,  AddRenderCommands, AddRollCommands,   AddFitCommands,
    AddTracksCommands, AddConvertCommands, AddBankCommands,   AddFormatCommands,
};

constexpr const char* kProgramFooter =
    "Exit status: 0 done, 1 refused (the reason is on standard error), 2 usage error, 3 internal error.\n"
    "\"-\" as an input reads standard input, as an output writes standard output.\n"
    "Run 'belltower-cli COMMAND --help' for a command's options and examples.";

// The command the user named: the deepest parsed subcommand.
const CLI::App& ChosenCommand(const CLI::App& app) {
    const CLI::App* chosen = &app;
    while (!chosen->get_subcommands().empty()) {
        chosen = chosen->get_subcommands().front();
    }
    return *chosen;
}

}  // namespace

int Run(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
    CLI::App app{"Belltower converts ringtones for Nokia DCT3 phones (3210, 3310, 6210, 7110).", "belltower-cli"};
    app.footer(kProgramFooter);
    app.set_version_flag("--version", std::string("belltower-cli ") + kVersion + "\n" + kLicenceNotice);
    app.require_subcommand(1);
    // Global options may stand after the command too ("belltower-cli bank save --force ...").
    app.fallthrough();

    GlobalOptions global;
    app.add_flag("--force", global.force,
                 "Answer OK where the desktop program would ask OK or Cancel, and replace read-only files; without "
                 "it such a command refuses.");
    app.add_option("--max-image-size", global.maxImageMegabytes,
                   "Refuse firmware images larger than this many megabytes (default 64).")
        ->type_name("MB")
        ->check(CLI::Range(std::size_t{1}, std::size_t{4096}));

    CommandTable table;
    for (const AddGroupFunction addGroup : kCommandGroups) {
        addGroup(app, table);
    }
    // Listed last: it describes all the others.
    AddCompletionCommands(app, table);

    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        // A word that is no command reaches CLI11 as an extra argument, and it first reports
        // the missing command; say what is really wrong.
        // Inside a group ("bank frob") the word falls through to the program.
        const CLI::App& chosen = ChosenCommand(app);
        const std::vector<std::string> extra = chosen.remaining().empty() ? app.remaining() : chosen.remaining();
        if (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr && chosen.get_require_subcommand_min() > 0 &&
            !extra.empty()) {
            err << "Unknown command: " << extra.front() << "\nRun with --help for more information.\n";
            return static_cast<int>(ExitStatus::Usage);
        }
        // --help and --version end the parse as "errors" with status 0; they print to out,
        // and a script piping them on must learn when that failed.
        const int status = app.exit(error, out, err);
        if (status != 0) {
            return static_cast<int>(ExitStatus::Usage);
        }
        out.flush();
        if (!out) {
            err << "standard output: it could not be written.\n";
            return static_cast<int>(ExitStatus::Refused);
        }
        return static_cast<int>(ExitStatus::Done);
    }

    const Action* action = table.Find(ChosenCommand(app));
    if (action == nullptr) {
        // Only a group without its command gets here, and CLI11 requires one; be safe anyway.
        err << "Name a command.\nRun with --help for more information.\n";
        return static_cast<int>(ExitStatus::Usage);
    }
    Console console(in, out, err, global);
    return static_cast<int>((*action)(console, global));
}

}  // namespace belltower::cli
