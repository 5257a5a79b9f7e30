// SPDX-License-Identifier: GPL-3.0-or-later
// What the bank commands share: loading the image as Load Firmware does, positions counted
// from 1 as the list's lines are numbered for the user, saving as Save Firmware does, and the
// options that name the image and the melodies.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

#include <CLI/CLI.hpp>

#include "bank/tone_bank.h"
#include "cli/command_table.h"
#include "cli/console.h"
#include "formats/result.h"

namespace belltower::cli {

// The image and where the edited image goes.
struct BankFiles {
    std::string image;
    std::string output;
};

// The bank of the image at path, as Load Firmware leaves it. The messages are the load's:
// a file without PPM section is named as given ("standard input" for "-").
formats::Result<bank::ToneBank> LoadBank(Console& console, const std::string& path);

// The list index of a position counted from 1, or nothing once the refusal naming the valid
// positions is reported. An insert may also name position 1 of an empty bank, which the new
// melody then starts.
std::optional<std::size_t> ListIndex(const bank::ToneBank& bank, std::size_t position, bool forInsert,
                                     Console& console);

// Save Firmware: the warnings with an OK button are printed, the OK/Cancel questions refuse
// the save unless --force answers them; then the whole image is written at once.
ExitStatus SaveBank(const bank::ToneBank& bank, const std::string& output, Console& console,
                    const GlobalOptions& global);

// Loads, edits and saves. The edit returns Done to go on to the save. An image edited in place
// is locked from the load to the save, so that two edits of it at once follow each other
// instead of one losing the other.
ExitStatus EditBank(const BankFiles& files, Console& console, const GlobalOptions& global,
                    const std::function<ExitStatus(bank::ToneBank&)>& edit);

// A command that edits the bank of an image and saves it (EditBank): edit(bank, options,
// console) on the image that options.files names (a plain BankFiles names it itself).
template <typename T, typename Edit>
std::pair<CLI::App*, std::shared_ptr<T>> AddBankEdit(CLI::App& group, CommandTable& table, const std::string& name,
                                                     const std::string& description, const std::string& examples,
                                                     Edit edit) {
    return table.AddCommandWith<T>(
        group, name, description, examples, [edit](const T& options, Console& console, const GlobalOptions& global) {
            const BankFiles* files = nullptr;
            if constexpr (std::is_same_v<T, BankFiles>) {
                files = &options;
            } else {
                files = &options.files;
            }
            return EditBank(*files, console, global,
                            [&](bank::ToneBank& bank) { return edit(bank, options, console); });
        });
}

// IMAGE, the image read ("-": standard input).
inline constexpr const char* kImageHelp = "Firmware image; - reads standard input.";
CLI::Option* AddImageOption(CLI::App& command, std::string& target, const std::string& description = kImageHelp);

// -o OUT, the image written ("-": standard output).
inline constexpr const char* kImageOutputHelp = "The image to write; - writes standard output.";
CLI::Option* AddImageOutputOption(CLI::App& command, std::string& target,
                                  const std::string& description = kImageOutputHelp);

// IMAGE and -o together, for the commands that take nothing else.
void AddImageAndOutput(CLI::App& command, BankFiles& files);

// A required position counted from 1. Anything but digits is refused as text, before CLI11
// would read "-1" as the largest size_t.
CLI::Option* AddPosition(CLI::App& command, const std::string& name, std::size_t& target,
                         const std::string& description);

// The families of bank commands, added in the order `bank --help` lists them.
void AddBankViewCommands(CLI::App& group, CommandTable& table);    // list, export
void AddBankSaveCommand(CLI::App& group, CommandTable& table);     // save
void AddBankMelodyCommands(CLI::App& group, CommandTable& table);  // insert, replace
void AddBankEditCommands(CLI::App& group, CommandTable& table);    // delete, move, reindex, set

}  // namespace belltower::cli
