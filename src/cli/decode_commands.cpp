// SPDX-License-Identifier: GPL-3.0-or-later
// decode: a melody file of any kind (an RE file, MIDI, .ott or ringtone text) written out as
// ringtone text with every setting, ready to be changed and encoded again.
#include <memory>
#include <string>

#include "cli/command_groups.h"
#include "cli/command_support.h"
#include "cli/melody_formats.h"

namespace belltower::cli {
namespace {

ExitStatus Decode(const MelodyFileJob& options, Console& console) {
    const auto imported = ReadMelodyFile(console, options.input, options.reading);
    if (!imported) {
        return console.Refuse(imported.error().message);
    }
    WarnAll(imported->warnings, console);
    const auto text = WriteMelodyFields(imported->fields, MelodyOutput::Rtx, console);
    return WriteResultAndFinish(console, options.output, text);
}

}  // namespace

void AddDecodeCommands(CLI::App& app, CommandTable& table) {
    const auto [decode, options] = table.AddCommandWith<MelodyFileJob>(
        app, "decode",
        "Write a melody (RE, MIDI, .ott, iMelody or Composer file, or ringtone text) as ringtone text with every "
        "setting.",
        "  belltower-cli decode tone.re -o tone.ert\n"
        "  belltower-cli decode song.mid -o song.ert\n"
        "  belltower-cli decode tone.bin -o - --from tone\n"
        "  belltower-cli bank export 3310.fls 4 -o - | belltower-cli decode - -o -",
        Decode);
    AddMelodyFileJob(*decode, *options, "The ringtone text (ERT) to write; - writes standard output.", "OUT.ert");
}

}  // namespace belltower::cli
