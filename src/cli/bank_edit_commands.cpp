// SPDX-License-Identifier: GPL-3.0-or-later
// bank save, delete, move, reindex and set: the list buttons and the Apply of the melody panel,
// each followed by Save Firmware. save is the save alone, with no edit.
#include <memory>
#include <optional>
#include <string>

#include "bank/list_operations.h"
#include "bank/record_properties.h"
#include "cli/bank_support.h"
#include "cli/text_encoding.h"

namespace belltower::cli {
namespace {

using bank::ToneBank;

struct PositionOptions {  // delete
    BankFiles files;
    std::size_t position = 0;
};

struct MoveOptions {
    BankFiles files;
    std::size_t from = 0;
    std::size_t to = 0;
};

struct SetOptions {
    BankFiles files;
    std::size_t position = 0;
    std::optional<std::string> name;
    std::optional<std::string> id;
    std::optional<std::string> index;
    std::optional<std::string> purpose;
};

ExitStatus Delete(ToneBank& bank, const PositionOptions& options, Console& console) {
    const auto index = ListIndex(bank, options.position, false, console);
    if (!index) {
        return ExitStatus::Refused;
    }
    if (const auto allowed = bank::CheckListChange(bank, bank::ListChange::Delete, index); !allowed) {
        return console.Refuse(PrintableUtf8(allowed.error().message));
    }
    bank::Delete(bank, *index);
    return ExitStatus::Done;
}

ExitStatus Move(ToneBank& bank, const MoveOptions& options, Console& console) {
    const auto from = ListIndex(bank, options.from, false, console);
    if (!from) {
        return ExitStatus::Refused;
    }
    const auto to = ListIndex(bank, options.to, false, console);
    if (!to) {
        return ExitStatus::Refused;
    }
    // Step by step, as the buttons move it; a step that would bring a melody to the top that
    // cannot stand there refuses the whole move.
    const bool up = *to < *from;
    for (bank::Selection at = *from; at && *at != *to;) {
        const auto change = up ? bank::ListChange::MoveUp : bank::ListChange::MoveDown;
        if (const auto allowed = bank::CheckListChange(bank, change, at); !allowed) {
            return console.Refuse(PrintableUtf8(allowed.error().message));
        }
        at = up ? bank::MoveUp(bank, at) : bank::MoveDown(bank, at);
    }
    return ExitStatus::Done;
}

ExitStatus SetFields(ToneBank& bank, const SetOptions& options, Console& console) {
    const auto index = ListIndex(bank, options.position, false, console);
    if (!index) {
        return ExitStatus::Refused;
    }
    if (options.purpose && !bank.IsUnicode()) {
        return console.Refuse("The melodies of an ASCII bank have no purpose: --purpose is for Unicode banks only.");
    }
    // The panel as it shows the melody, with the boxes given on the command line retyped.
    const auto view = bank::ShowRecord(bank, *index);
    if (!view) {
        return console.Refuse(view.error().message);
    }
    bank::RecordEdits edits{view->name, view->id, view->indexText, view->purposeText};
    // Names and IDs are typed in the shell's UTF-8 and stored in Latin-1.
    const struct {
        const std::optional<std::string>& typed;
        const char* what;
        std::string& box;
    } texts[] = {{options.name, "name", edits.name}, {options.id, "ID", edits.id}};
    for (const auto& text : texts) {
        if (!text.typed) {
            continue;
        }
        const auto latin1 = ArgumentToLatin1(*text.typed, text.what);
        if (!latin1) {
            return console.Refuse(latin1.error().message);
        }
        text.box = *latin1;
    }
    edits.indexText = options.index.value_or(edits.indexText);
    edits.purposeText = options.purpose.value_or(edits.purposeText);
    if (const auto applied = bank::ApplyRecordEdits(bank, *index, edits); !applied) {
        return console.Refuse(applied.error().message);
    }
    return ExitStatus::Done;
}

void AddDelete(CLI::App& group, CommandTable& table) {
    const auto [command, options] = AddBankEdit<PositionOptions>(
        group, table, "delete", "Remove a melody; the melodies below it move up and keep their indexes.",
        "  belltower-cli bank delete 3310.fls 2 -o 3310-new.fls", Delete);
    AddImageOption(*command, options->files.image);
    AddPosition(*command, "POS", options->position, "The melody to remove, from 1.");
    AddImageOutputOption(*command, options->files.output);
}

void AddMove(CLI::App& group, CommandTable& table) {
    const auto [command, options] = AddBankEdit<MoveOptions>(
        group, table, "move",
        "Move a melody to another position, as Move Up and Move Down do; indexes stay as they are.",
        "  belltower-cli bank move 3310.fls 7 1 -o 3310-new.fls", Move);
    AddImageOption(*command, options->files.image);
    AddPosition(*command, "FROM", options->from, "The melody to move, from 1.");
    AddPosition(*command, "TO", options->to, "Its new position, from 1.");
    AddImageOutputOption(*command, options->files.output);
}

void AddReindex(CLI::App& group, CommandTable& table) {
    const auto [command, options] = AddBankEdit<BankFiles>(
        group, table, "reindex", "Give every melody its position as its index (1, 2, 3 ...), as Reindex! does.",
        "  belltower-cli bank reindex 3310.fls -o 3310.fls", [](ToneBank& bank, const BankFiles&, Console&) {
            bank::Reindex(bank);
            return ExitStatus::Done;
        });
    AddImageAndOutput(*command, *options);
}

void AddSet(CLI::App& group, CommandTable& table) {
    const auto [command, options] = table.AddCommandWith<SetOptions>(
        group, "set", "Change a melody's name, ID, index or purpose, as Apply does; the rest stays.",
        "  belltower-cli bank set 3310.fls 2 --name Fanfare --index 12 -o 3310-new.fls\n"
        "  belltower-cli bank set 6210.fls 1 --id BELL --purpose 2 -o 6210-new.fls",
        [](const SetOptions& set, Console& console, const GlobalOptions& global) {
            if (!set.name && !set.id && !set.index && !set.purpose) {
                return console.UsageError("Give at least one of --name, --id, --index and --purpose.");
            }
            return EditBank(set.files, console, global, [&](ToneBank& bank) { return SetFields(bank, set, console); });
        });
    AddImageOption(*command, options->files.image);
    AddPosition(*command, "POS", options->position, "The melody to change, from 1.");
    command->add_option("--name", options->name, "The new name (at most 30 characters in a Unicode bank).");
    command->add_option("--id", options->id, "The new ID: four characters, padded with spaces.");
    command->add_option("--index", options->index, "The new index, 0 to 2147483647.");
    command->add_option("--purpose", options->purpose, "The new purpose, 0 to 255 (Unicode banks only).");
    AddImageOutputOption(*command, options->files.output);  // last in the help, after the fields
}

}  // namespace

void AddBankSaveCommand(CLI::App& group, CommandTable& table) {
    const auto [save, options] = AddBankEdit<BankFiles>(
        group, table, "save", "Load a firmware image and save it again, as Save Firmware does with no edits.",
        "  belltower-cli bank save 3310.fls -o 3310-checked.fls",
        [](ToneBank&, const BankFiles&, Console&) { return ExitStatus::Done; });
    AddImageAndOutput(*save, *options);
}

void AddBankEditCommands(CLI::App& group, CommandTable& table) {
    AddDelete(group, table);
    AddMove(group, table);
    AddReindex(group, table);
    AddSet(group, table);
}

}  // namespace belltower::cli
