// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/melody_formats.h"

#include <map>
#include <optional>
#include <utility>

#include "bank/re_exchange.h"
#include "cli/command_support.h"

namespace belltower::cli {
namespace {

formats::Result<formats::Bytes> Warned(formats::Result<interchange::MelodyExport> written, Console& console) {
    if (!written) {
        return written.error();
    }
    WarnAll(written->warnings, console);
    return std::move(written->bytes);
}

}  // namespace

void WarnAll(const std::vector<std::string>& warnings, Console& console, const std::string& prefix) {
    for (const std::string& warning : warnings) {
        console.Warn(prefix + warning);
    }
}

CLI::Option* AddMelodyOutputOption(CLI::App& command, MelodyOutput& target, RecordChoices records,
                                   const std::string& description) {
    std::vector<std::pair<std::string, MelodyOutput>> offered;
    for (const MelodyFormat& format : interchange::MelodyFormats()) {
        if (format.write == nullptr) {
            continue;
        }
        if (format.content == MelodyContent::Record && records == RecordChoices::TextFormats) {
            offered.emplace_back("ascii", MelodyOutput::ReAscii);
            offered.emplace_back("unicode", MelodyOutput::ReUnicode);
        } else {
            offered.emplace_back(format.name, interchange::OutputOf(format.content, formats::TextFormat::Ascii));
        }
    }
    std::string typeName;
    for (const auto& choice : offered) {
        typeName += (typeName.empty() ? "" : "|") + choice.first;
    }
    return command.add_option("--to", target, description)
        ->transform(CLI::CheckedTransformer(offered, CLI::ignore_case).description(""))
        ->type_name(typeName);
}

namespace {

void AddFromOption(CLI::App& command, std::string& target) {
    std::vector<std::string> names;
    std::string typeName;
    for (const MelodyFormat& format : interchange::MelodyFormats()) {
        names.emplace_back(format.name);
        typeName += (typeName.empty() ? "" : "|") + std::string(format.name);
    }
    command
        .add_option("--from", target,
                    "Read the input as this format rather than recognise it by its content (tone: bare tone data, "
                    "with no record header).")
        ->check(CLI::IsMember(names, CLI::ignore_case))
        ->type_name(typeName);
}

void AddTransposeOption(CLI::App& command, std::optional<int>& target) {
    command
        .add_option_function<std::string>(
            "--transpose",
            [&target](const std::string& value) {
                target = value == "auto" ? std::nullopt : std::optional<int>(std::stoi(value));
            },
            "MIDI: move the notes by N semitones; auto (default) moves them by the whole octaves that put the most "
            "in the --hardware range, and says so; 0 keeps the file's pitches.")
        ->check(CLI::IsMember({"auto"}) | CLI::Range(-96, 96))
        ->type_name("auto|N");
}

}  // namespace

void AddMelodyInputOptions(CLI::App& command, MelodyInputOptions& target, const std::string& hardware) {
    AddFromOption(command, target.from);
    interchange::MidiReadOptions& midi = target.midi;
    command
        .add_option("--track", midi.track, "MIDI: read this track, from 1 as `tracks` lists them (default: its pick).")
        ->check(CLI::Range(1, 65535))
        ->type_name("N");
    command.add_option("--channel", midi.channel, "MIDI: read only the notes of this channel (1-16).")
        ->check(CLI::Range(1, 16))
        ->type_name("N");
    const std::map<std::string, interchange::VoiceRule> rules{{"highest", interchange::VoiceRule::Highest},
                                                              {"lowest", interchange::VoiceRule::Lowest},
                                                              {"first", interchange::VoiceRule::First}};
    command
        .add_option("--voice", midi.voice,
                    "MIDI: of notes sounding together keep the highest (default) or the lowest, a held one sounding "
                    "again after; or the first, dropping the notes that start under it.")
        ->transform(CLI::CheckedTransformer(rules, CLI::ignore_case).description(""))
        ->type_name("highest|lowest|first");
    AddTransposeOption(command, midi.transpose);
    command.add_option("--max-notes", midi.maxNotes, "MIDI: cut the melody after N notes.")
        ->check(CLI::PositiveNumber)
        ->type_name("N");
    command.add_option("--max-seconds", midi.maxSeconds, "MIDI: cut the melody after S seconds.")
        ->check(CLI::PositiveNumber)
        ->type_name("S");
    AddHardwareOption(command, midi.hardware,
                      hardware.empty() ? "MIDI: the range --transpose auto aims at: the phone's (a4 to b7, default), "
                                         "LogoManager's (c4 to b7) or none (what ringtone text can write)."
                                       : hardware);
}

void AddMelodyFileJob(CLI::App& command, MelodyFileJob& target, const std::string& outputHelp,
                      const std::string& outputType, const std::string& hardware) {
    command
        .add_option("IN", target.input,
                    "Ringtone file (RTX or ERT text), RE, MIDI, .ott, iMelody or Composer file, recognised by its "
                    "content; - reads standard input.")
        ->required();
    AddMelodyInputOptions(command, target.reading, hardware);
    AddOutputOption(command, target.output, outputHelp, outputType);
}

const MelodyFormat* MelodyInputOptions::Format() const {
    return from.empty() ? nullptr : interchange::FindMelodyFormat(from);
}

formats::Result<formats::Bytes> WriteMelodyFields(const melody::MelodyFields& fields, MelodyOutput format,
                                                  Console& console) {
    return Warned(interchange::WriteMelodyFields(fields, format), console);
}

formats::Result<formats::Bytes> WriteMelodyRecord(formats::ByteView record, formats::TextFormat recordFormat,
                                                  MelodyOutput format, Console& console) {
    if (format == MelodyOutput::ReAscii || format == MelodyOutput::ReUnicode) {
        return bank::ExportRecord(record, recordFormat,
                                  format == MelodyOutput::ReUnicode ? formats::TextFormat::Unicode
                                                                    : formats::TextFormat::Ascii);
    }
    return Warned(interchange::WriteMelodyRecord(record, format), console);
}

}  // namespace belltower::cli
