#include "cli/melody_formats.h"

#include <map>
#include <utility>

#include "bank/re_exchange.h"

namespace belltower::cli {
namespace {

void WarnAll(const std::vector<std::string>& warnings, Console& console) {
    for (const std::string& warning : warnings) {
        console.Warn(warning);
    }
}

formats::Result<formats::Bytes> Warned(formats::Result<interchange::MelodyExport> written, Console& console) {
    if (!written) {
        return written.error();
    }
    WarnAll(written->warnings, console);
    return std::move(written->bytes);
}

}  // namespace

formats::Result<melody::MelodyFields> ReadMelodyFields(const formats::Bytes& bytes, Console& console) {
    auto imported = interchange::ReadMelodyFile(bytes);
    if (!imported) {
        return imported.error();
    }
    WarnAll(imported->warnings, console);
    return std::move(imported->fields);
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
