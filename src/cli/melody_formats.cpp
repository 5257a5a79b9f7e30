// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/melody_formats.h"

#include <utility>

#include "bank/re_exchange.h"

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

CLI::Option* AddMelodyInputOption(CLI::App& command, std::string& target) {
    std::vector<std::string> names;
    std::string typeName;
    for (const MelodyFormat& format : interchange::MelodyFormats()) {
        names.emplace_back(format.name);
        typeName += (typeName.empty() ? "" : "|") + std::string(format.name);
    }
    return command
        .add_option("--from", target,
                    "Read the input as this format rather than recognise it by its content (tone: bare tone data, "
                    "with no record header).")
        ->check(CLI::IsMember(names, CLI::ignore_case))
        ->type_name(typeName);
}

const MelodyFormat* FromFormat(const std::string& name) {
    return name.empty() ? nullptr : interchange::FindMelodyFormat(name);
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
