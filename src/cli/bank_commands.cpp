// bank ...: the melody bank of a firmware image, as the window's bank list edits it.
//
// Every command loads the image as Load Firmware does. The editing commands then do what one
// list button does (positions count from 1, as the list's lines are numbered for the user)
// and save the image as Save Firmware does, with the same warnings, to a new file (which may
// be the image itself: it is replaced only once the new image is complete).
#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "bank/firmware_reader.h"
#include "bank/firmware_writer.h"
#include "bank/list_operations.h"
#include "bank/re_exchange.h"
#include "bank/record_properties.h"
#include "bank/tone_bank.h"
#include "cli/command_groups.h"
#include "cli/command_support.h"
#include "cli/melody_formats.h"
#include "cli/text_encoding.h"

namespace belltower::cli {
namespace {

using bank::ToneBank;
using formats::Result;

// The image and where the edited image goes.
struct BankFiles {
    std::string image;
    std::string output;
};

struct ListOptions {
    std::string image;
    bool json = false;
};

struct ExportOptions {
    std::string image;
    std::size_t position = 0;
    std::string output;
    MelodyOutput to = MelodyOutput::ReAscii;
    CLI::Option* toOption = nullptr;  // not given: an RE file in the bank's format
};

struct MelodyFileOptions {  // insert, replace
    BankFiles files;
    std::size_t position = 0;
    std::string melody;
};

struct PositionOptions {  // delete
    BankFiles files;
    std::size_t position = 0;
};

struct MoveOptions {
    BankFiles files;
    std::size_t from = 0;
    std::size_t to = 0;
};

struct SetOptions {
    BankFiles files;
    std::size_t position = 0;
    std::optional<std::string> name;
    std::optional<std::string> id;
    std::optional<std::string> index;
    std::optional<std::string> purpose;
};

// ---- Loading, positions, saving --------------------------------------------------------

// The bank of the image at path, as Load Firmware leaves it. The messages are the load's:
// a file without PPM section is named as given ("standard input" for "-").
Result<ToneBank> LoadBank(Console& console, const std::string& path) {
    auto data = console.ReadInput(path);
    if (!data) {
        return data.error();
    }
    auto image = bank::ReadFirmwareImage(std::move(*data), InputName(path));
    if (!image) {
        return image.error();
    }
    ToneBank bank;
    (void)bank::ApplyFirmwareImage(bank, std::move(*image), false);  // no bank kept: no message
    return bank;
}

std::string MelodyCount(std::size_t count) {
    return count == 1 ? std::string("1 melody") : std::to_string(count) + " melodies";
}

// The list index of a position counted from 1, or the refusal naming the valid positions.
// An insert may also name position 1 of an empty bank, which the new melody then starts.
std::optional<std::size_t> ListIndex(const ToneBank& bank, std::size_t position, bool forInsert, Console& console) {
    const std::size_t count = bank.Count();
    const std::size_t last = (forInsert && count == 0) ? 1 : count;
    if (position >= 1 && position <= last) {
        return position - 1;
    }
    std::string message = "Position " + std::to_string(position) + " is out of range: the bank holds ";
    if (count == 0) {
        message += forInsert ? "no melodies, so a new one goes in at position 1." : "no melodies.";
    } else if (count == 1) {
        message += "1 melody (position 1).";
    } else {
        message += MelodyCount(count) + " (positions 1 to " + std::to_string(count) + ").";
    }
    console.Refuse(message);
    return std::nullopt;
}

// Save Firmware: the warnings with an OK button are printed, the OK/Cancel questions refuse
// the save unless --force answers them; then the whole image is written at once.
ExitStatus SaveBank(const ToneBank& bank, const std::string& output, Console& console, const GlobalOptions& global) {
    for (const bank::SaveWarning& warning : bank::SaveWarnings(bank)) {
        // The index question names melodies, whose names are Latin-1.
        const std::string text = PrintableUtf8(warning.text);
        if (warning.buttons == bank::WarningButtons::Ok) {
            console.Warn(text);
        } else if (!console.Ask(text, global)) {
            return ExitStatus::Refused;
        }
    }
    const auto written = console.WriteOutput(output, bank::BuildFirmwareImage(bank));
    if (!written) {
        return console.Refuse(written.error().message);
    }
    return ExitStatus::Done;
}

// Loads, edits and saves. The edit returns Done to go on to the save.
ExitStatus EditBank(const BankFiles& files, Console& console, const GlobalOptions& global,
                    const std::function<ExitStatus(ToneBank&)>& edit) {
    auto bank = LoadBank(console, files.image);
    if (!bank) {
        return console.Refuse(bank.error().message);
    }
    if (const ExitStatus status = edit(*bank); status != ExitStatus::Done) {
        return status;
    }
    return SaveBank(*bank, files.output, console, global);
}

// ---- list ---------------------------------------------------------------------------------

struct MelodyRow {
    std::size_t position = 0;
    bank::RecordView view;
    std::size_t length = 0;
};

std::vector<MelodyRow> Rows(const ToneBank& bank) {
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

void PrintTable(const ToneBank& bank, std::ostream& out) {
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

// A stable document for scripts: keys always present, in this order; purpose is null in an
// ASCII bank. Texts are the bytes of the image, as UTF-8.
void PrintJson(const ToneBank& bank, std::ostream& out) {
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

ExitStatus List(const ListOptions& options, Console& console) {
    const auto bank = LoadBank(console, options.image);
    if (!bank) {
        return console.Refuse(bank.error().message);
    }
    if (options.json) {
        PrintJson(*bank, console.Out());
    } else {
        PrintTable(*bank, console.Out());
    }
    console.Out().flush();
    if (!console.Out()) {
        return console.Refuse("standard output: it could not be written.");
    }
    return ExitStatus::Done;
}

// ---- export ------------------------------------------------------------------------------

ExitStatus Export(const ExportOptions& options, Console& console) {
    const auto bank = LoadBank(console, options.image);
    if (!bank) {
        return console.Refuse(bank.error().message);
    }
    const auto index = ListIndex(*bank, options.position, false, console);
    if (!index) {
        return ExitStatus::Refused;
    }
    const MelodyOutput bankFormat =
        bank->UnicodeNames == formats::TextFormat::Unicode ? MelodyOutput::ReUnicode : MelodyOutput::ReAscii;
    const MelodyOutput to = options.toOption->count() > 0 ? options.to : bankFormat;
    const auto bytes = WriteMelodyRecord(bank->Records[*index], bank->UnicodeNames, to, console);
    if (!bytes) {
        return console.Refuse(bytes.error().message);
    }
    const auto written = console.WriteOutput(options.output, *bytes);
    if (!written) {
        return console.Refuse(written.error().message);
    }
    return ExitStatus::Done;
}

// ---- insert, replace ---------------------------------------------------------------------

// The list operations from a melody file: an RE file through the RE import (converted to the
// bank's format), ringtone text through the tone encoder in the bank's format.
ExitStatus PutMelody(ToneBank& bank, const MelodyFileOptions& options, bool insert, Console& console) {
    const auto index = ListIndex(bank, options.position, insert, console);
    if (!index) {
        return ExitStatus::Refused;
    }
    // The window refuses a full bank before it opens a file or runs the encoder.
    if (insert) {
        if (const auto position = bank::InsertPosition(bank, *index); !position) {
            return console.Refuse(position.error().message);
        }
    }
    const auto input = ReadMelodyInput(console, options.melody);
    if (!input) {
        return console.Refuse(input.error().message);
    }
    Result<bank::Selection> done = bank::Selection{};
    if (input->isRecord) {
        done =
            insert ? bank::InsertFromRe(bank, *index, input->bytes) : bank::ReplaceFromRe(bank, *index, input->bytes);
    } else {
        const auto record = EncodeMelodyInput(*input, bank.UnicodeNames, console);
        if (!record) {
            return console.Refuse(record.error().message);
        }
        done = insert ? bank::Insert(bank, *index, *record) : bank::Replace(bank, *index, *record);
    }
    if (!done) {
        return console.Refuse(done.error().message);
    }
    return ExitStatus::Done;
}

// ---- set ---------------------------------------------------------------------------------

ExitStatus SetFields(ToneBank& bank, const SetOptions& options, Console& console) {
    const auto index = ListIndex(bank, options.position, false, console);
    if (!index) {
        return ExitStatus::Refused;
    }
    if (options.purpose && !bank.IsUnicode()) {
        return console.Refuse("The melodies of an ASCII bank have no purpose: --purpose is for Unicode banks only.");
    }
    // The panel as it shows the melody, with the boxes given on the command line retyped.
    const auto view = bank::ShowRecord(bank, *index);
    if (!view) {
        return console.Refuse(view.error().message);
    }
    bank::RecordEdits edits{view->name, view->id, view->indexText, view->purposeText};
    if (options.name) {
        const auto name = ArgumentToLatin1(*options.name, "name");
        if (!name) {
            return console.Refuse(name.error().message);
        }
        edits.name = *name;
    }
    if (options.id) {
        const auto id = ArgumentToLatin1(*options.id, "ID");
        if (!id) {
            return console.Refuse(id.error().message);
        }
        edits.id = *id;
    }
    edits.indexText = options.index.value_or(edits.indexText);
    edits.purposeText = options.purpose.value_or(edits.purposeText);
    if (const auto applied = bank::ApplyRecordEdits(bank, *index, edits); !applied) {
        return console.Refuse(applied.error().message);
    }
    return ExitStatus::Done;
}

// ---- The commands ------------------------------------------------------------------------

void AddImageAndOutput(CLI::App& command, BankFiles& files) {
    command.add_option("IMAGE", files.image, "Firmware image (.fls or raw flash); - reads standard input.")->required();
    command.add_option("-o,--output", files.output, "The image to write (may be IMAGE); - writes standard output.")
        ->type_name("OUT")
        ->required();
}

CLI::Option* AddPosition(CLI::App& command, const std::string& name, std::size_t& target,
                         const std::string& description) {
    // Checked as text first: CLI11 would read "-1" as the largest size_t.
    const CLI::Validator digitsOnly(
        [](std::string& text) {
            const bool digits =
                !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
            if (!digits) {
                return "'" + text + "' is not a position: give a whole number counted from 1.";
            }
            return text.size() > 9 ? "'" + text + "' is out of range: a bank holds at most 301 melodies."
                                   : std::string();
        },
        "POSITION");
    return command.add_option(name, target, description)->check(digitsOnly)->type_name("POSITION")->required();
}

void AddList(CLI::App& group, CommandTable& table) {
    auto options = std::make_shared<ListOptions>();
    CLI::App* list = table.AddCommand(
        group, "list", "List the melodies of a firmware image: position, index, ID, name, purpose, play mode, length.",
        "  belltower-cli bank list 3310.fls\n"
        "  belltower-cli bank list 6210.fls --json > melodies.json",
        [options](Console& console, const GlobalOptions&) { return List(*options, console); });
    list->add_option("IMAGE", options->image, "Firmware image (.fls or raw flash); - reads standard input.")
        ->required();
    list->add_flag("--json", options->json, "Write a JSON document instead of a table.");
}

void AddExport(CLI::App& group, CommandTable& table) {
    auto options = std::make_shared<ExportOptions>();
    CLI::App* exportCommand =
        table.AddCommand(group, "export", "Save one melody of a firmware image as an RE, ringtone, MIDI or .ott file.",
                         "  belltower-cli bank export 3310.fls 4 -o tone.re\n"
                         "  belltower-cli bank export 3310.fls 4 -o tone-7110.re --to unicode\n"
                         "  belltower-cli bank export 3310.fls 4 -o tone.mid --to mid",
                         [options](Console& console, const GlobalOptions&) { return Export(*options, console); });
    exportCommand->add_option("IMAGE", options->image, "Firmware image; - reads standard input.")->required();
    AddPosition(*exportCommand, "POS", options->position, "The melody's position in the list, from 1.");
    exportCommand->add_option("-o,--output", options->output, "The file to write; - writes standard output.")
        ->type_name("OUT")
        ->required();
    options->toOption = AddMelodyOutputOption(
        *exportCommand, "--to", options->to, {"ascii", "unicode", "rtx", "mid", "ott"},
        "An RE file with the name in ASCII or Unicode (default: the bank's format), ringtone text, MIDI or .ott.");
}

void AddSave(CLI::App& group, CommandTable& table) {
    auto options = std::make_shared<BankFiles>();
    CLI::App* save =
        table.AddCommand(group, "save", "Load a firmware image and save it again, as Save Firmware does with no edits.",
                         "  belltower-cli bank save 3310.fls -o 3310-checked.fls",
                         [options](Console& console, const GlobalOptions& global) {
                             return EditBank(*options, console, global, [](ToneBank&) { return ExitStatus::Done; });
                         });
    AddImageAndOutput(*save, *options);
}

void AddPutMelody(CLI::App& group, CommandTable& table, bool insert) {
    auto options = std::make_shared<MelodyFileOptions>();
    CLI::App* command = table.AddCommand(
        group, insert ? "insert" : "replace",
        insert ? "Insert a melody (RE, MIDI, .ott file or ringtone text) at a position; the melodies from there move "
                 "down."
               : "Replace a melody with an RE, MIDI, .ott file or ringtone text, keeping its index, ID and purpose.",
        insert ? "  belltower-cli bank insert 3310.fls 1 tune.rtx -o 3310-new.fls\n"
                 "  belltower-cli bank insert 3310.fls 5 tone.re -o 3310.fls"
               : "  belltower-cli bank replace 3310.fls 3 tune.ert -o 3310-new.fls\n"
                 "  belltower-cli bank replace 6210.fls 3 tone.re -o 6210-new.fls",
        [options, insert](Console& console, const GlobalOptions& global) {
            return EditBank(options->files, console, global,
                            [&](ToneBank& bank) { return PutMelody(bank, *options, insert, console); });
        });
    command->add_option("IMAGE", options->files.image, "Firmware image; - reads standard input.")->required();
    AddPosition(*command, "POS", options->position,
                insert ? "Where the new melody goes, from 1 (1 to the number of melodies; 1 in an empty bank)."
                       : "The melody to replace, from 1.");
    command
        ->add_option("FILE", options->melody,
                     "RE file (converted to the bank's format), or ringtone text, MIDI or .ott (encoded in it), "
                     "recognised by its content; - reads standard input.")
        ->required();
    command->add_option("-o,--output", options->files.output, "The image to write; - writes standard output.")
        ->type_name("OUT")
        ->required();
}

void AddDelete(CLI::App& group, CommandTable& table) {
    auto options = std::make_shared<PositionOptions>();
    CLI::App* command =
        table.AddCommand(group, "delete", "Remove a melody; the melodies below it move up and keep their indexes.",
                         "  belltower-cli bank delete 3310.fls 2 -o 3310-new.fls",
                         [options](Console& console, const GlobalOptions& global) {
                             return EditBank(options->files, console, global, [&](ToneBank& bank) {
                                 const auto index = ListIndex(bank, options->position, false, console);
                                 if (!index) {
                                     return ExitStatus::Refused;
                                 }
                                 bank::Delete(bank, *index);
                                 return ExitStatus::Done;
                             });
                         });
    command->add_option("IMAGE", options->files.image, "Firmware image; - reads standard input.")->required();
    AddPosition(*command, "POS", options->position, "The melody to remove, from 1.");
    command->add_option("-o,--output", options->files.output, "The image to write; - writes standard output.")
        ->type_name("OUT")
        ->required();
}

void AddMove(CLI::App& group, CommandTable& table) {
    auto options = std::make_shared<MoveOptions>();
    CLI::App* command = table.AddCommand(
        group, "move", "Move a melody to another position, as Move Up and Move Down do; indexes stay as they are.",
        "  belltower-cli bank move 3310.fls 7 1 -o 3310-new.fls",
        [options](Console& console, const GlobalOptions& global) {
            return EditBank(options->files, console, global, [&](ToneBank& bank) {
                const auto from = ListIndex(bank, options->from, false, console);
                if (!from) {
                    return ExitStatus::Refused;
                }
                const auto to = ListIndex(bank, options->to, false, console);
                if (!to) {
                    return ExitStatus::Refused;
                }
                for (bank::Selection at = *from; at && *at > *to;) {
                    at = bank::MoveUp(bank, at);
                }
                for (bank::Selection at = *from; at && *at < *to;) {
                    at = bank::MoveDown(bank, at);
                }
                return ExitStatus::Done;
            });
        });
    command->add_option("IMAGE", options->files.image, "Firmware image; - reads standard input.")->required();
    AddPosition(*command, "FROM", options->from, "The melody to move, from 1.");
    AddPosition(*command, "TO", options->to, "Its new position, from 1.");
    command->add_option("-o,--output", options->files.output, "The image to write; - writes standard output.")
        ->type_name("OUT")
        ->required();
}

void AddReindex(CLI::App& group, CommandTable& table) {
    auto options = std::make_shared<BankFiles>();
    CLI::App* command = table.AddCommand(
        group, "reindex", "Give every melody its position as its index (1, 2, 3 ...), as Reindex! does.",
        "  belltower-cli bank reindex 3310.fls -o 3310.fls", [options](Console& console, const GlobalOptions& global) {
            return EditBank(*options, console, global, [](ToneBank& bank) {
                bank::Reindex(bank);
                return ExitStatus::Done;
            });
        });
    AddImageAndOutput(*command, *options);
}

void AddSet(CLI::App& group, CommandTable& table) {
    auto options = std::make_shared<SetOptions>();
    CLI::App* command =
        table.AddCommand(group, "set", "Change a melody's name, ID, index or purpose, as Apply does; the rest stays.",
                         "  belltower-cli bank set 3310.fls 2 --name Fanfare --index 12 -o 3310-new.fls\n"
                         "  belltower-cli bank set 6210.fls 1 --id BELL --purpose 2 -o 6210-new.fls",
                         [options](Console& console, const GlobalOptions& global) {
                             if (!options->name && !options->id && !options->index && !options->purpose) {
                                 return console.UsageError("Give at least one of --name, --id, --index and --purpose.");
                             }
                             return EditBank(options->files, console, global,
                                             [&](ToneBank& bank) { return SetFields(bank, *options, console); });
                         });
    command->add_option("IMAGE", options->files.image, "Firmware image; - reads standard input.")->required();
    AddPosition(*command, "POS", options->position, "The melody to change, from 1.");
    command->add_option("--name", options->name, "The new name (at most 30 characters in a Unicode bank).");
    command->add_option("--id", options->id, "The new ID: four characters, padded with spaces.");
    command->add_option("--index", options->index, "The new index, 0 to 2147483647.");
    command->add_option("--purpose", options->purpose, "The new purpose, 0 to 255 (Unicode banks only).");
    command->add_option("-o,--output", options->files.output, "The image to write; - writes standard output.")
        ->type_name("OUT")
        ->required();
}

}  // namespace

void AddBankCommands(CLI::App& app, CommandTable& table) {
    CLI::App* group = table.AddGroup(app, "bank", "Show and edit the melody bank (TONE chunk) of a firmware image.");
    AddList(*group, table);
    AddExport(*group, table);
    AddSave(*group, table);
    AddPutMelody(*group, table, true);
    AddPutMelody(*group, table, false);
    AddDelete(*group, table);
    AddMove(*group, table);
    AddReindex(*group, table);
    AddSet(*group, table);
}

}  // namespace belltower::cli
