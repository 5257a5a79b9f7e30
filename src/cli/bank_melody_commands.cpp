// SPDX-License-Identifier: GPL-3.0-or-later
// bank insert and bank replace: a melody file put into the bank, as Insert and Replace do with
// the file or the edit fields. An RE file goes through the RE import (converted to the bank's
// format), ringtone text, MIDI and .ott files through the tone encoder in the bank's format.
#include <memory>
#include <string>

#include "bank/list_operations.h"
#include "bank/re_exchange.h"
#include "cli/bank_support.h"
#include "cli/command_support.h"
#include "cli/melody_formats.h"

namespace belltower::cli {
namespace {

struct MelodyFileOptions {
    BankFiles files;
    std::size_t position = 0;
    std::string melody;
    MelodyInputOptions reading;  // --from and the MIDI choices
};

ExitStatus PutMelody(bank::ToneBank& bank, const MelodyFileOptions& options, bool insert, Console& console) {
    const auto index = ListIndex(bank, options.position, insert, console);
    if (!index) {
        return ExitStatus::Refused;
    }
    // The window refuses a full bank before it opens a file or runs the encoder.
    if (insert) {
        if (const auto position = bank::InsertPosition(bank, *index); !position) {
            return console.Refuse(position.error().message);
        }
    }
    const auto input = ReadMelodyInput(console, options.melody, options.reading);
    if (!input) {
        return console.Refuse(input.error().message);
    }
    formats::Result<bank::Selection> done = bank::Selection{};
    if (input->isRecord) {
        done =
            insert ? bank::InsertFromRe(bank, *index, input->bytes) : bank::ReplaceFromRe(bank, *index, input->bytes);
    } else {
        const auto record = EncodeMelodyInput(*input, bank.UnicodeNames, console);
        if (!record) {
            return console.Refuse(record.error().message);
        }
        done = insert ? bank::Insert(bank, *index, *record) : bank::Replace(bank, *index, *record);
    }
    if (!done) {
        return console.Refuse(done.error().message);
    }
    return ExitStatus::Done;
}

void AddPutMelody(CLI::App& group, CommandTable& table, bool insert) {
    const auto [command, options] = AddBankEdit<MelodyFileOptions>(
        group, table, insert ? "insert" : "replace",
        insert ? "Insert a melody (RE, MIDI, .ott, iMelody or Composer file, or ringtone text) at a "
                 "position; the melodies from there move "
                 "down."
               : "Replace a melody with an RE, MIDI, .ott, iMelody or Composer file or ringtone text, "
                 "keeping its index, ID and purpose.",
        insert ? "  belltower-cli bank insert 3310.fls 1 tune.rtx -o 3310-new.fls\n"
                 "  belltower-cli bank insert 3310.fls 5 tone.re -o 3310.fls"
               : "  belltower-cli bank replace 3310.fls 3 tune.ert -o 3310-new.fls\n"
                 "  belltower-cli bank replace 6210.fls 3 tone.re -o 6210-new.fls",
        [insert](bank::ToneBank& bank, const MelodyFileOptions& put, Console& console) {
            return PutMelody(bank, put, insert, console);
        });
    AddImageOption(*command, options->files.image);
    AddPosition(*command, "POS", options->position,
                insert ? "Where the new melody goes, from 1 (1 to the number of melodies; 1 in an empty bank)."
                       : "The melody to replace, from 1.");
    command
        ->add_option("FILE", options->melody,
                     "RE file (converted to the bank's format), or ringtone text, MIDI, .ott, iMelody or Composer "
                     "codes (encoded in it), "
                     "recognised by its content; - reads standard input.")
        ->required();
    AddMelodyInputOptions(*command, options->reading);
    AddImageOutputOption(*command, options->files.output);
}

}  // namespace

void AddBankMelodyCommands(CLI::App& group, CommandTable& table) {
    AddPutMelody(group, table, true);
    AddPutMelody(group, table, false);
}

}  // namespace belltower::cli
