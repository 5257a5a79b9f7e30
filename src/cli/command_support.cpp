// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/command_support.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>

#include "bank/re_exchange.h"
#include "cli/melody_formats.h"
#include "formats/record.h"
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

namespace {

// A refusal of what a file holds names the file, as the file errors of the core do.
formats::Error AboutFile(const std::string& path, const formats::Error& error) {
    const std::string name = InputName(path) + ": ";
    return error.message.starts_with(name) ? error : formats::MakeError(error.code, name + error.message);
}

formats::Result<void> CheckText(const std::string& path, const formats::Bytes& text) {
    if (auto checked = melody::CheckRingtoneText(formats::ToText(text)); !checked) {
        return AboutFile(path, checked.error());
    }
    return {};
}

}  // namespace

formats::Result<formats::Bytes> ReadRingtoneText(Console& console, const std::string& path) {
    auto file = console.ReadInput(path);
    if (!file) {
        return file;
    }
    if (auto checked = CheckText(path, *file); !checked) {
        return checked.error();
    }
    return file;
}

namespace {

// A melody file's bytes and what they hold: the format --from names, or what they are
// recognised as.
struct MelodyBytes {
    formats::Bytes bytes;
    MelodyContent content = MelodyContent::Ringtone;
};

formats::Result<MelodyBytes> ReadMelodyBytes(Console& console, const std::string& path,
                                             const MelodyInputOptions& options) {
    auto file = console.ReadInput(path);
    if (!file) {
        return file.error();
    }
    const interchange::MelodyFormat* from = options.Format();
    const MelodyContent content = from != nullptr ? from->content : RecogniseMelody(*file);
    return MelodyBytes{std::move(*file), content};
}

// The file read by its row of the table of formats, MIDI with the options' choices; a refusal
// names the file.
formats::Result<interchange::MelodyImport> Import(const std::string& path, const MelodyBytes& file,
                                                  const MelodyInputOptions& options) {
    auto imported = interchange::ReadMelodyFile(file.bytes, {}, &interchange::FormatOf(file.content), options.midi);
    if (!imported) {
        return AboutFile(path, imported.error());
    }
    return imported;
}

}  // namespace

formats::Result<MelodyInput> ReadMelodyInput(Console& console, const std::string& path,
                                             const MelodyInputOptions& options) {
    auto file = ReadMelodyBytes(console, path, options);
    if (!file) {
        return file.error();
    }
    const bool namedRecord =
        options.Format() == nullptr && NamedAsReFile(path) && file->content == MelodyContent::Ringtone;
    if (file->content == MelodyContent::Record || namedRecord) {
        if (!formats::IsWholeRecord(file->bytes)) {
            return formats::MakeError(formats::ErrorCode::DamagedData, std::string(bank::kNotValidReFile));
        }
        return MelodyInput{true, std::move(file->bytes), std::nullopt};
    }
    if (file->content == MelodyContent::Ringtone) {
        if (auto checked = CheckText(path, file->bytes); !checked) {
            return checked.error();
        }
        return MelodyInput{false, std::move(file->bytes), std::nullopt};
    }
    auto imported = Import(path, *file, options);
    if (!imported) {
        return imported.error();
    }
    WarnAll(imported->warnings, console);
    return MelodyInput{false, std::move(file->bytes), std::move(imported->fields)};
}

formats::Result<interchange::MelodyImport> ReadMelodyFile(Console& console, const std::string& path,
                                                          const MelodyInputOptions& options) {
    const auto file = ReadMelodyBytes(console, path, options);
    if (!file) {
        return file.error();
    }
    if (file->content == MelodyContent::Ringtone) {
        if (auto checked = CheckText(path, file->bytes); !checked) {
            return checked.error();
        }
    }
    return Import(path, *file, options);
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

ExitStatus WriteAndFinish(Console& console, const std::string& path, formats::ByteView bytes) {
    if (const auto written = console.WriteOutput(path, bytes); !written) {
        return console.Refuse(written.error().message);
    }
    return ExitStatus::Done;
}

ExitStatus WriteAndFinish(Console& console, const std::string& path, std::span<const formats::ByteView> pieces) {
    if (const auto written = console.WriteOutput(path, pieces); !written) {
        return console.Refuse(written.error().message);
    }
    return ExitStatus::Done;
}

ExitStatus WriteResultAndFinish(Console& console, const std::string& path,
                                const formats::Result<formats::Bytes>& bytes) {
    if (!bytes) {
        return console.Refuse(bytes.error().message);
    }
    return WriteAndFinish(console, path, formats::ByteView(*bytes));
}

CLI::Option* AddOutputOption(CLI::App& command, std::string& target, const std::string& description,
                             const std::string& typeName) {
    return command.add_option("-o,--output", target, description)
        ->type_name(typeName)
        ->required()
        ->check(NonEmptyPath());
}

const CLI::Validator& NonEmptyPath() {
    static const CLI::Validator kNonEmpty(
        [](const std::string& path) {
            return path.empty() ? std::string("an empty path names no file") : std::string();
        },
        "", "NONEMPTY");
    return kNonEmpty;
}

CLI::Option* AddHardwareOption(CLI::App& command, melody::Hardware& target, const std::string& description) {
    const std::map<std::string, melody::Hardware> hardware{{"none", melody::Hardware::None},
                                                           {"phone", melody::Hardware::Phone},
                                                           {"logomanager", melody::Hardware::LogoManager}};
    return command.add_option("--hardware", target, description)
        ->transform(CLI::CheckedTransformer(hardware, CLI::ignore_case).description(""))
        ->type_name("none|phone|logomanager");
}

CLI::Option* AddTextFormatOption(CLI::App& command, const std::string& name, formats::TextFormat& target,
                                 const std::string& description) {
    const std::map<std::string, formats::TextFormat> formats{{"ascii", formats::TextFormat::Ascii},
                                                             {"unicode", formats::TextFormat::Unicode}};
    return command.add_option(name, target, description)
        ->transform(CLI::CheckedTransformer(formats, CLI::ignore_case).description(""))
        ->type_name("ascii|unicode");
}

}  // namespace belltower::cli
