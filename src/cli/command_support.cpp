#include "cli/command_support.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>

#include "bank/re_exchange.h"
#include "cli/melody_formats.h"
#include "melody/rtx_text.h"
#include "melody/tone_encoder.h"

namespace belltower::cli {
namespace {

bool NamedAsReFile(const std::string& path) {
    if (path.size() < 3) {
        return false;
    }
    std::string extension = path.substr(path.size() - 3);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".re";
}

}  // namespace

melody::MelodyFields FieldsFromRingtone(const formats::Bytes& fileText) {
    melody::MelodyFields fields;
    melody::ReadRtxText(formats::ToText(fileText), fields);
    return fields;
}

formats::Result<MelodyInput> ReadMelodyInput(Console& console, const std::string& path) {
    auto file = console.ReadInput(path);
    if (!file) {
        return file.error();
    }
    const MelodyContent content = RecogniseMelody(*file);
    if (content == MelodyContent::Midi || content == MelodyContent::Ott) {
        auto fields = ReadMelodyFields(*file, console);
        if (!fields) {
            return fields.error();
        }
        return MelodyInput{false, std::move(*file), std::move(*fields)};
    }
    const bool validRecord = content == MelodyContent::Record;
    if (NamedAsReFile(path) && !validRecord) {
        return formats::MakeError(formats::ErrorCode::DamagedData, std::string(bank::kNotValidReFile));
    }
    return MelodyInput{validRecord, std::move(*file), std::nullopt};
}

formats::Result<formats::Bytes> EncodeRingtone(const formats::Bytes& text, formats::TextFormat form, Console& console) {
    melody::EncodeResult encoded = melody::EncodeMelody(FieldsFromRingtone(text), form, std::nullopt);
    if (encoded.noData) {
        console.Warn(melody::kNoDataText);
    }
    return std::move(encoded.record);
}

formats::Result<formats::Bytes> EncodeMelodyInput(const MelodyInput& input, formats::TextFormat form,
                                                  Console& console) {
    if (!input.imported) {
        return EncodeRingtone(input.bytes, form, console);
    }
    melody::EncodeResult encoded = melody::EncodeMelody(*input.imported, form, std::nullopt);
    if (encoded.noData) {
        console.Warn(melody::kNoDataText);
    }
    return std::move(encoded.record);
}

CLI::Option* AddTextFormatOption(CLI::App& command, const std::string& name, formats::TextFormat& target,
                                 const std::string& description) {
    const std::map<std::string, formats::TextFormat> formats{{"ascii", formats::TextFormat::Ascii},
                                                             {"unicode", formats::TextFormat::Unicode}};
    return command.add_option(name, target, description)
        ->transform(CLI::CheckedTransformer(formats, CLI::ignore_case))
        ->type_name("ascii|unicode");
}

}  // namespace belltower::cli
