// SPDX-License-Identifier: GPL-3.0-or-later
// convert: an RE file rewritten in the other text format, as Export writes a melody in the
// format chosen in "Save in Format", or written as ringtone text, MIDI, .ott, iMelody or Composer codes.
#include <memory>
#include <string>

#include "bank/re_exchange.h"
#include "cli/command_groups.h"
#include "cli/command_support.h"
#include "cli/melody_formats.h"
#include "formats/record.h"

namespace belltower::cli {
namespace {

struct ConvertOptions {
    std::string input;
    std::string output;
    MelodyOutput to = MelodyOutput::ReAscii;
};

ExitStatus Convert(const ConvertOptions& options, Console& console) {
    const auto file = console.ReadInput(options.input);
    if (!file) {
        return console.Refuse(file.error().message);
    }
    if (const auto valid = bank::ValidateReFile(*file); !valid) {
        return console.Refuse(valid.error().message);
    }
    // The file's own format is read from its bytes as the RE import reads it; a record
    // already in the wanted format is written unchanged.
    const auto converted = WriteMelodyRecord(*file, formats::DetectRecordFormat(*file), options.to, console);
    return WriteResultAndFinish(console, options.output, converted);
}

}  // namespace

void AddConvertCommands(CLI::App& app, CommandTable& table) {
    const auto [convert, options] = table.AddCommandWith<ConvertOptions>(
        app, "convert",
        "Rewrite an RE file with its name in ASCII (3210, 3310) or Unicode (6210, 7110), or as ringtone text, MIDI, "
        ".ott, iMelody or Composer codes.",
        "  belltower-cli convert tone.re -o tone-7110.re --to unicode\n"
        "  belltower-cli convert tone.re -o tone.mid --to mid\n"
        "  belltower-cli convert - -o - --to ascii < tone-7110.re > tone-3310.re",
        Convert);
    convert->add_option("IN", options->input, "RE file; - reads standard input.")->required();
    AddOutputOption(*convert, options->output, "The file to write; - writes standard output.");
    AddMelodyOutputOption(
        *convert, options->to, RecordChoices::TextFormats,
        "An RE file with the name in ASCII or Unicode, ringtone text, MIDI, .ott, iMelody or Composer codes.")
        ->required();
}

}  // namespace belltower::cli
