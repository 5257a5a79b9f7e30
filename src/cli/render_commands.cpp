// SPDX-License-Identifier: GPL-3.0-or-later
// render: a melody previewed as the window's play buttons preview it, into a WAV file.
//
// Ringtone text plays as the edit fields do: a fresh window opens the file, and the whole
// notes are encoded as an ASCII record. An RE file plays as a melody of the bank list does:
// the whole record goes to the wave synthesiser, which plays its tone data.
#include <memory>
#include <string>

#include "cli/command_groups.h"
#include "cli/command_support.h"
#include "cli/melody_formats.h"
#include "preview/wav_writer.h"

namespace belltower::cli {
namespace {

struct RenderOptions : MelodyFileJob {
    bool noVibration = false;  // "Emulate Vibration" cleared
    bool half = false;         // "Half Quality" ticked
};

ExitStatus Render(const RenderOptions& options, Console& console) {
    auto input = ReadMelodyInput(console, options.input, options.reading);
    if (!input) {
        return console.Refuse(input.error().message);
    }
    formats::Bytes melody;
    if (input->isRecord) {
        melody = std::move(input->bytes);
    } else {
        // The window would play an empty preview after the encoder's message; a command that
        // says it rendered must have rendered the melody, so it refuses instead.
        auto record = EncodeMelodyInput(*input, formats::TextFormat::Ascii, console);
        if (!record) {
            return console.Refuse(record.error().message);
        }
        melody = std::move(*record);
    }
    const preview::RenderLimits limits;
    const preview::WavResult wav =
        preview::WriteWav(melody, {!options.noVibration, options.half, options.reading.midi.hardware}, limits);
    if (wav.truncated) {
        // Long notes tied together run long without any repeat; only name repeats that played.
        console.Warn("The melody plays longer than " + std::to_string(limits.maxSeconds) + " seconds" +
                     (wav.repeated ? " (its repeats multiply)" : "") + "; the preview stops there.");
    }
    return WriteAndFinish(console, options.output, wav.wav);
}

}  // namespace

void AddRenderCommands(CLI::App& app, CommandTable& table) {
    const auto [render, options] = table.AddCommandWith<RenderOptions>(
        app, "render",
        "Render a melody (ringtone text, an RE, MIDI, .ott, iMelody or Composer file) into a WAV "
        "file, as the play buttons preview it.",
        "  belltower-cli render beep.rtx -o beep.wav\n"
        "  belltower-cli render tone.re -o tone.wav --hardware none --no-vibration\n"
        "  belltower-cli render - -o - --half < beep.rtx | aplay",
        Render);
    AddMelodyFileJob(*render, *options, "The WAV file to write; - writes standard output.", "OUT.wav",
                     "Notes kept as the phone (a4 to b7, default), LogoManager (c4 to b7) or none plays them; "
                     "others sound as a6, softly.");
    render->add_flag("--no-vibration", options->noVibration,
                     "Do not emulate vibration: no motor hum (\"Emulate Vibration\" cleared).");
    render->add_flag("--half", options->half, "Half quality: 11025 samples per second.");
}

}  // namespace belltower::cli
