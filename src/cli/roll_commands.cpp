// SPDX-License-Identifier: GPL-3.0-or-later
// roll: a melody drawn as a piano roll into an SVG picture.
//
// Ringtone text is encoded as the edit fields encode it, so every note stands where the phone
// plays it; an RE file is read through the tone decoder, which knows the tempo of each note.
#include <memory>
#include <string>

#include "cli/command_groups.h"
#include "cli/command_support.h"
#include "cli/melody_formats.h"
#include "cli/text_encoding.h"
#include "interchange/piano_roll_svg.h"
#include "melody/tone_decoder.h"
#include "melody/tone_encoder.h"

namespace belltower::cli {
namespace {

ExitStatus Roll(const MelodyFileJob& options, Console& console) {
    auto input = ReadMelodyInput(console, options.input, options.reading);
    if (!input) {
        return console.Refuse(input.error().message);
    }
    melody::Timeline timeline;
    std::string name;
    if (input->isRecord) {
        melody::DecodedMelody decoded = melody::DecodeMelody(input->bytes);
        timeline = std::move(decoded.timeline);
        name = decoded.fields.name;
    } else {
        const melody::MelodyFields fields = input->imported ? *input->imported : FieldsFromRingtone(input->bytes);
        const melody::EncodeResult encoded = melody::EncodeMelody(fields, formats::TextFormat::Ascii, std::nullopt);
        if (!encoded.record) {
            return console.Refuse(encoded.record.error().message);
        }
        if (encoded.noData) {
            console.Warn(melody::kNoDataText);
        }
        timeline = melody::EncodedTimeline(encoded);
        name = fields.name;
    }
    if (const auto cut = melody::CutWarning(timeline)) {
        console.Warn(*cut);
    }
    const std::string svg = interchange::WritePianoRollSvg(timeline, Latin1ToUtf8(name), options.reading.midi.hardware);
    return WriteAndFinish(console, options.output, formats::ToBytes(svg));
}

}  // namespace

void AddRollCommands(CLI::App& app, CommandTable& table) {
    const auto [roll, options] = table.AddCommandWith<MelodyFileJob>(
        app, "roll",
        "Draw a melody (ringtone text, an RE, MIDI, .ott, iMelody or Composer file) as a piano roll "
        "into an SVG picture.",
        "  belltower-cli roll beep.rtx -o beep.svg\n"
        "  belltower-cli roll tone.re -o - --hardware logomanager > tone.svg",
        Roll);
    AddMelodyFileJob(*roll, *options, "The SVG file to write; - writes standard output.", "OUT.svg",
                     "Draw in the warning colour the notes out of range for the phone (a4 to b7, default), "
                     "LogoManager (c4 to b7) or none.");
}

}  // namespace belltower::cli
