// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/bank_printers.h"

#include <algorithm>
#include <functional>
#include <ostream>
#include <utility>
#include <vector>

#include "bank/record_properties.h"
#include "cli/text_encoding.h"

namespace belltower::cli {
namespace {

struct MelodyRow {
    std::size_t position = 0;
    bank::RecordView view;
    std::size_t length = 0;
};

std::vector<MelodyRow> Rows(const bank::ToneBank& bank) {
    std::vector<MelodyRow> rows;
    for (std::size_t i = 0; i < bank.Count(); ++i) {
        // The reader refuses records whose name cannot be read, so every loaded one shows.
        auto view = bank::ShowRecord(bank, i);
        rows.push_back(MelodyRow{i + 1, view ? std::move(*view) : bank::RecordView{}, bank.Records[i].size()});
    }
    return rows;
}

// Characters of a UTF-8 text, for lining up columns.
std::size_t Width(const std::string& utf8) {
    return static_cast<std::size_t>(
        std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

}  // namespace

std::string MelodyCount(std::size_t count) {
    return count == 1 ? std::string("1 melody") : std::to_string(count) + " melodies";
}

void PrintBankTable(const bank::ToneBank& bank, std::ostream& out) {
    struct Column {
        std::string title;
        bool rightAligned;
        std::vector<std::string> cells;
    };
    std::vector<Column> columns{{"Pos", true, {}},   {"Index", true, {}},   {"ID", false, {}},
                                {"Name", false, {}}, {"Purpose", true, {}}, {"Play mode", false, {}},
                                {"Length", true, {}}};
    for (const MelodyRow& row : Rows(bank)) {
        columns[0].cells.push_back(std::to_string(row.position));
        columns[1].cells.push_back(row.view.indexText);
        columns[2].cells.push_back(PrintableUtf8(row.view.id));
        columns[3].cells.push_back(PrintableUtf8(row.view.name));
        columns[4].cells.push_back(row.view.purposeText);
        columns[5].cells.push_back(row.view.playModeText);
        columns[6].cells.push_back(std::to_string(row.length));
    }
    if (!bank.IsUnicode()) {
        columns.erase(columns.begin() + 4);  // an ASCII record has no purpose byte
    }
    std::vector<std::size_t> widths;
    for (const Column& column : columns) {
        std::size_t width = Width(column.title);
        for (const std::string& cell : column.cells) {
            width = std::max(width, Width(cell));
        }
        widths.push_back(width);
    }
    const auto printLine = [&](const std::function<const std::string&(const Column&)>& cellOf) {
        std::string line;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const std::string& cell = cellOf(columns[c]);
            const std::string padding(widths[c] - Width(cell), ' ');
            line += c == 0 ? "" : "  ";
            line += columns[c].rightAligned ? padding + cell : cell + padding;
        }
        line.erase(line.find_last_not_of(' ') + 1);
        out << line << '\n';
    };

    out << PrintableUtf8(bank::HeaderCaption(bank)) << '\n';
    out << MelodyCount(bank.Count()) << '\n';
    if (bank.Count() == 0) {
        return;
    }
    printLine([](const Column& column) -> const std::string& { return column.title; });
    for (std::size_t r = 0; r < bank.Count(); ++r) {
        printLine([r](const Column& column) -> const std::string& { return column.cells[r]; });
    }
}

void PrintBankJson(const bank::ToneBank& bank, std::ostream& out) {
    out << "{\n";
    out << "  \"header\": " << JsonString(bank.HeaderText) << ",\n";
    out << "  \"format\": \"" << (bank.IsUnicode() ? "unicode" : "ascii") << "\",\n";
    out << "  \"count\": " << bank.Count() << ",\n";
    out << "  \"melodies\": [";
    const std::vector<MelodyRow> rows = Rows(bank);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const MelodyRow& row = rows[r];
        out << (r == 0 ? "\n" : ",\n");
        out << "    {\"position\": " << row.position << ", \"index\": " << row.view.indexText
            << ", \"id\": " << JsonString(row.view.id) << ", \"name\": " << JsonString(row.view.name)
            << ", \"purpose\": " << (bank.IsUnicode() ? row.view.purposeText : std::string("null"))
            << ", \"playMode\": " << row.view.playMode << ", \"playModeText\": " << JsonString(row.view.playModeText)
            << ", \"length\": " << row.length << "}";
    }
    out << (rows.empty() ? "]\n" : "\n  ]\n");
    out << "}\n";
}

}  // namespace belltower::cli
