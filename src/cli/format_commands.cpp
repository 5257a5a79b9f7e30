// SPDX-License-Identifier: GPL-3.0-or-later
// formats: the melody formats the program reads and writes, one line each, from the table of
// formats that --to and --from take their names from.
#include <algorithm>
#include <iomanip>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>

#include "cli/command_groups.h"
#include "cli/command_support.h"
#include "cli/melody_formats.h"

namespace belltower::cli {
namespace {

// "re        .re         reads, writes  RE melody record"; names fit the widest one.
std::string FormatLine(const MelodyFormat& format, int nameWidth) {
    std::string extensions;
    for (const std::string_view extension : format.extensions) {
        extensions += (extensions.empty() ? "." : " .") + std::string(extension);
    }
    std::string access = format.read != nullptr ? "reads" : "";
    if (format.write != nullptr) {
        access += access.empty() ? "writes" : ", writes";
    }
    std::ostringstream line;
    line << std::left << std::setw(nameWidth) << format.name << std::setw(12) << (extensions.empty() ? "-" : extensions)
         << std::setw(15) << access << format.description << '\n';
    return line.str();
}

ExitStatus ListFormats(Console& console) {
    std::size_t widest = 0;
    for (const MelodyFormat& format : interchange::MelodyFormats()) {
        widest = std::max(widest, format.name.size());
    }
    std::string text;
    for (const MelodyFormat& format : interchange::MelodyFormats()) {
        text += FormatLine(format, static_cast<int>(widest) + 2);
    }
    return WriteAndFinish(console, std::string(kStandardStream), formats::ToBytes(text));
}

}  // namespace

void AddFormatCommands(CLI::App& app, CommandTable& table) {
    table.AddCommand(app, "formats",
                     "List the melody formats: the name --to and --from take, the file extensions, whether the "
                     "format is read and written.",
                     "  belltower-cli formats",
                     [](Console& console, const GlobalOptions&) { return ListFormats(console); });
}

}  // namespace belltower::cli
