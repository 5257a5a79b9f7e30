// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/bank_support.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "bank/firmware_reader.h"
#include "bank/firmware_writer.h"
#include "cli/bank_printers.h"
#include "cli/command_support.h"
#include "cli/text_encoding.h"
#include "formats/file_io.h"

namespace belltower::cli {

formats::Result<bank::ToneBank> LoadBank(Console& console, const std::string& path) {
    formats::Result<bank::FirmwareImage> image = formats::MakeError(formats::ErrorCode::Io, "");
    if (path == kStandardStream) {
        auto data = console.ReadInput(path, InputKind::Image);
        if (!data) {
            return data.error();
        }
        image = bank::ReadFirmwareImage(std::move(*data), InputName(path));
    } else {
        // A file is read once: its layout from a mapping, then only the parts the bank keeps.
        const InputLimit limit = console.Limit(InputKind::Image);
        image = bank::ReadFirmwareFile(path, path, limit.maxBytes, limit.note);
    }
    if (!image) {
        return image.error();
    }
    bank::ToneBank bank;
    (void)bank::ApplyFirmwareImage(bank, std::move(*image), false);  // no bank kept: no message
    return bank;
}

std::optional<std::size_t> ListIndex(const bank::ToneBank& bank, std::size_t position, bool forInsert,
                                     Console& console) {
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

ExitStatus SaveBank(const bank::ToneBank& bank, const std::string& output, Console& console,
                    const GlobalOptions& global) {
    for (const bank::SaveWarning& warning : bank::SaveWarnings(bank)) {
        // The index question names melodies, whose names are Latin-1.
        const std::string text = PrintableUtf8(warning.text);
        if (warning.buttons == bank::WarningButtons::Ok) {
            console.Warn(text);
        } else if (!console.Ask(text, global)) {
            return ExitStatus::Refused;
        }
    }
    const bank::SavedImage image(bank);
    return WriteAndFinish(console, output, image.Pieces());
}

ExitStatus EditBank(const BankFiles& files, Console& console, const GlobalOptions& global,
                    const std::function<ExitStatus(bank::ToneBank&)>& edit) {
    std::optional<formats::EditLock> lock;
    if (files.image != kStandardStream && files.output != kStandardStream) {
        std::error_code ec;
        if (std::filesystem::equivalent(files.image, files.output, ec)) {
            auto locked = formats::EditLock::Acquire(files.image, [&] {
                console.Warn(files.image + " is being edited by another program; waiting until it is saved.");
            });
            if (!locked) {
                return console.Refuse(locked.error().message);
            }
            lock = std::move(*locked);
        }
    }
    auto bank = LoadBank(console, files.image);
    if (!bank) {
        return console.Refuse(bank.error().message);
    }
    if (const ExitStatus status = edit(*bank); status != ExitStatus::Done) {
        return status;
    }
    return SaveBank(*bank, files.output, console, global);
}

CLI::Option* AddImageOption(CLI::App& command, std::string& target, const std::string& description) {
    return command.add_option("IMAGE", target, description)->required();
}

CLI::Option* AddImageOutputOption(CLI::App& command, std::string& target, const std::string& description) {
    return AddOutputOption(command, target, description);
}

void AddImageAndOutput(CLI::App& command, BankFiles& files) {
    AddImageOption(command, files.image, "Firmware image (.fls or raw flash); - reads standard input.");
    AddImageOutputOption(command, files.output, "The image to write (may be IMAGE); - writes standard output.");
}

CLI::Option* AddPosition(CLI::App& command, const std::string& name, std::size_t& target,
                         const std::string& description) {
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

}  // namespace belltower::cli
