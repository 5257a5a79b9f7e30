// SPDX-License-Identifier: GPL-3.0-or-later
// bank list and bank export: the commands that read a firmware image and change nothing.
#include <memory>
#include <ostream>
#include <string>

#include "bank/list_operations.h"
#include "cli/bank_printers.h"
#include "cli/bank_support.h"
#include "cli/command_support.h"
#include "cli/melody_formats.h"
#include "cli/text_encoding.h"

namespace belltower::cli {
namespace {

struct ListOptions {
    std::string image;
    bool json = false;
};

struct ExportOptions {
    std::string image;
    std::size_t position = 0;
    std::string output;
    MelodyOutput to = MelodyOutput::ReAscii;
    CLI::Option* toOption = nullptr;  // not given: an RE file in the bank's format
};

ExitStatus List(const ListOptions& options, Console& console) {
    const auto bank = LoadBank(console, options.image);
    if (!bank) {
        return console.Refuse(bank.error().message);
    }
    if (options.json) {
        PrintBankJson(*bank, console.Out());
    } else {
        PrintBankTable(*bank, console.Out());
    }
    // What an edit would refuse, said where the melodies are seen.
    for (std::size_t i = 0; i < bank->Count(); ++i) {
        const std::string melody = "Melody " + std::to_string(i + 1) + ": ";
        if (const auto intact = bank::CheckNameTerminator(bank->Records[i], bank->UnicodeNames); !intact) {
            console.Warn(melody + intact.error().message);
        }
        if (i > 0 && bank::ReadsAsOtherFormatFirst(*bank, i)) {
            console.Warn(melody + PrintableUtf8(bank::CannotComeFirstText(*bank, i)));
        }
    }
    return console.FinishOut();
}

ExitStatus Export(const ExportOptions& options, Console& console) {
    const auto bank = LoadBank(console, options.image);
    if (!bank) {
        return console.Refuse(bank.error().message);
    }
    const auto index = ListIndex(*bank, options.position, false, console);
    if (!index) {
        return ExitStatus::Refused;
    }
    const MelodyOutput bankFormat =
        bank->UnicodeNames == formats::TextFormat::Unicode ? MelodyOutput::ReUnicode : MelodyOutput::ReAscii;
    const MelodyOutput to = options.toOption->count() > 0 ? options.to : bankFormat;
    const auto bytes = WriteMelodyRecord(bank->Records[*index], bank->UnicodeNames, to, console);
    return WriteResultAndFinish(console, options.output, bytes);
}

void AddList(CLI::App& group, CommandTable& table) {
    const auto [list, options] = table.AddCommandWith<ListOptions>(
        group, "list", "List the melodies of a firmware image: position, index, ID, name, purpose, play mode, length.",
        R"(
  belltower-cli bank list 3310.fls
  belltower-cli bank list 6210.fls --json > melodies.json)",
        List);
    AddImageOption(*list, options->image, "Firmware image (.fls or raw flash); - reads standard input.");
    list->add_flag("--json", options->json, "Write a JSON document instead of a table.");
}

void AddExport(CLI::App& group, CommandTable& table) {
    const auto [exportCommand, options] = table.AddCommandWith<ExportOptions>(
        group, "export",
        "Save one melody of a firmware image as an RE, ringtone, MIDI, .ott, iMelody or Composer file.",
        R"(
  belltower-cli bank export 3310.fls 4 -o tone.re
  belltower-cli bank export 3310.fls 4 -o tone-7110.re --to unicode
  belltower-cli bank export 3310.fls 4 -o tone.mid --to mid)",
        Export);
    AddImageOption(*exportCommand, options->image);
    AddPosition(*exportCommand, "POS", options->position, "The melody's position in the list, from 1.");
    AddOutputOption(*exportCommand, options->output, "The file to write; - writes standard output.");
    options->toOption = AddMelodyOutputOption(*exportCommand, options->to, RecordChoices::TextFormats,
                                              "An RE file with the name in ASCII or Unicode (default: the bank's "
                                              "format), ringtone text, MIDI, .ott, iMelody or Composer codes.");
}

}  // namespace

void AddBankViewCommands(CLI::App& group, CommandTable& table) {
    AddList(group, table);
    AddExport(group, table);
}

}  // namespace belltower::cli
