#include "cli/melody_formats.h"

#include <map>

#include "bank/re_exchange.h"
#include "interchange/midi.h"
#include "interchange/ott.h"
#include "melody/rtx_text.h"
#include "melody/tone_decoder.h"
#include "melody/tone_encoder.h"

namespace belltower::cli {
namespace {

void WarnAll(const std::vector<std::string>& warnings, Console& console) {
    for (const std::string& warning : warnings) {
        console.Warn(warning);
    }
}

melody::MelodyFields Decoded(formats::ByteView record, Console& console) {
    melody::DecodedMelody decoded = melody::DecodeMelody(record);
    for (const melody::ToneNotice& loss : decoded.losses) {
        console.Warn("byte " + std::to_string(loss.offset) + ": " + loss.what);
    }
    return std::move(decoded.fields);
}

}  // namespace

MelodyContent RecogniseMelody(formats::ByteView bytes) {
    if (interchange::LooksLikeMidi(bytes)) {
        return MelodyContent::Midi;
    }
    if (bank::ValidateReFile(bytes)) {
        return MelodyContent::Record;
    }
    if (interchange::LooksLikeOtt(bytes)) {
        return MelodyContent::Ott;
    }
    return MelodyContent::Ringtone;
}

formats::Result<melody::MelodyFields> ReadMelodyFields(const formats::Bytes& bytes, Console& console) {
    switch (RecogniseMelody(bytes)) {
    case MelodyContent::Record:
        return Decoded(bytes, console);
    case MelodyContent::Midi: {
        auto imported = interchange::ReadMidi(bytes);
        if (!imported) {
            return imported.error();
        }
        WarnAll(imported->warnings, console);
        return std::move(imported->fields);
    }
    case MelodyContent::Ott: {
        auto imported = interchange::ReadOtt(bytes);
        if (!imported) {
            return imported.error();
        }
        WarnAll(imported->warnings, console);
        return std::move(imported->fields);
    }
    case MelodyContent::Ringtone:
        break;
    }
    melody::MelodyFields fields;
    melody::ReadRtxText(formats::ToText(bytes), fields);
    return fields;
}

std::string_view Extension(MelodyOutput format) {
    switch (format) {
    case MelodyOutput::Rtx:
        return ".rtx";
    case MelodyOutput::Mid:
        return ".mid";
    case MelodyOutput::Ott:
        return ".ott";
    default:
        return ".re";
    }
}

CLI::Option* AddMelodyOutputOption(CLI::App& command, const std::string& name, MelodyOutput& target,
                                   const std::vector<std::string>& choices, const std::string& description) {
    static const std::map<std::string, MelodyOutput> kAll{
        {"ascii", MelodyOutput::ReAscii}, {"unicode", MelodyOutput::ReUnicode}, {"re", MelodyOutput::ReAscii},
        {"rtx", MelodyOutput::Rtx},       {"mid", MelodyOutput::Mid},           {"ott", MelodyOutput::Ott}};
    std::map<std::string, MelodyOutput> offered;
    std::string typeName;
    for (const std::string& choice : choices) {
        offered.emplace(choice, kAll.at(choice));
        typeName += (typeName.empty() ? "" : "|") + choice;
    }
    return command.add_option(name, target, description)
        ->transform(CLI::CheckedTransformer(offered, CLI::ignore_case))
        ->type_name(typeName);
}

std::string RestoringOptions(const melody::MelodyFields& fields) {
    std::string options;
    if (fields.playTwice) {
        options += "--twice";
    }
    if (fields.noSmallPauses) {
        options += options.empty() ? "--no-small-pauses" : " --no-small-pauses";
    }
    return options;
}

formats::Result<formats::Bytes> WriteMelodyFields(const melody::MelodyFields& fields, MelodyOutput format,
                                                  Console& console) {
    switch (format) {
    case MelodyOutput::Rtx:
        if (const std::string options = RestoringOptions(fields); !options.empty()) {
            console.Warn("Ringtone text cannot hold every option of this melody; encode it with: " + options);
        }
        return formats::ToBytes(melody::WriteRtxText(fields));
    case MelodyOutput::Ott: {
        auto written = interchange::WriteOtt(fields);
        if (!written) {
            return written.error();
        }
        WarnAll(written->warnings, console);
        return std::move(written->bytes);
    }
    default:
        break;
    }
    const auto form = format == MelodyOutput::ReUnicode ? formats::TextFormat::Unicode : formats::TextFormat::Ascii;
    melody::EncodeResult encoded = melody::EncodeReRecord(fields, form);
    if (encoded.noData) {
        console.Warn(melody::kNoDataText);
    }
    if (!encoded.record || format != MelodyOutput::Mid) {
        return std::move(encoded.record);
    }
    return interchange::WriteMidiMelody(*encoded.record);
}

formats::Result<formats::Bytes> WriteMelodyRecord(formats::ByteView record, formats::TextFormat recordFormat,
                                                  MelodyOutput format, Console& console) {
    switch (format) {
    case MelodyOutput::ReAscii:
    case MelodyOutput::ReUnicode:
        return bank::ExportRecord(record, recordFormat,
                                  format == MelodyOutput::ReUnicode ? formats::TextFormat::Unicode
                                                                    : formats::TextFormat::Ascii);
    case MelodyOutput::Mid:
        // Straight from the tone data: the file plays what the phone plays.
        return interchange::WriteMidiMelody(record);
    default:
        return WriteMelodyFields(Decoded(record, console), format, console);
    }
}

}  // namespace belltower::cli
