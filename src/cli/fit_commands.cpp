// SPDX-License-Identifier: GPL-3.0-or-later
// fit: whether a melody fits the phone: its note count and length, the notes out of each
// hardware's range, the tone data, the Smart Messaging SMS it takes, the phone's Composer and,
// with a firmware image, the free room of its TONE chunk.
#include <cmath>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "bank/firmware_writer.h"
#include "cli/bank_support.h"
#include "cli/command_groups.h"
#include "cli/command_support.h"
#include "cli/melody_formats.h"
#include "cli/text_encoding.h"
#include "formats/message_text.h"
#include "interchange/fit.h"
#include "melody/score.h"
#include "melody/tone_encoder.h"

namespace belltower::cli {
namespace {

struct FitOptions {
    std::string input;
    std::string image;
    MelodyInputOptions reading;  // --from and the MIDI choices
    bool json = false;
};

// The figures and the melody record they were taken from.
struct Measured {
    interchange::MelodyFit fit;
    formats::Bytes record;
};

formats::Result<Measured> Measure(const FitOptions& options, Console& console) {
    auto input = ReadMelodyInput(console, options.input, options.reading);
    if (!input) {
        return input.error();
    }
    if (input->isRecord) {
        return Measured{interchange::FitRecord(input->bytes), std::move(input->bytes)};
    }
    const melody::MelodyFields fields = input->imported ? *input->imported : FieldsFromRingtone(input->bytes);
    melody::EncodeResult encoded = melody::EncodeMelody(fields, formats::TextFormat::Ascii, std::nullopt);
    if (!encoded.record) {
        return encoded.record.error();
    }
    if (encoded.noData) {
        console.Warn(melody::kNoDataText);
    }
    interchange::MelodyFit fit = interchange::FitEncoded(fields, encoded);
    return Measured{std::move(fit), std::move(*encoded.record)};
}

std::string Seconds(double seconds) {
    return formats::NumberText(std::round(seconds * 100) / 100);
}

std::string Listed(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : " ") + name;
    }
    return text.empty() ? "none" : text;
}

std::vector<std::string> Utf8(const std::vector<std::string>& texts) {
    std::vector<std::string> converted;
    converted.reserve(texts.size());
    for (const std::string& text : texts) {
        converted.push_back(Latin1ToUtf8(text));
    }
    return converted;
}

void PrintJson(const interchange::MelodyFit& fit, const std::optional<bank::RecordRoom>& room, std::ostream& out) {
    nlohmann::ordered_json json = {
        {"notes", fit.notes},
        {"seconds", std::round(fit.seconds * 100) / 100},
        {"outOfRange", {{"phone", fit.outOfRangePhone}, {"logomanager", fit.outOfRangeLogoManager}}},
        {"toneDataBytes", fit.toneDataBytes},
        {"sms", {{"bytes", nullptr}, {"parts", nullptr}}},
        {"composer", {{"fits", fit.composer.fits}, {"problems", Utf8(fit.composer.problems)}}},
    };
    if (fit.sms.bytes) {
        json["sms"]["bytes"] = *fit.sms.bytes;
    }
    if (fit.sms.parts) {
        json["sms"]["parts"] = *fit.sms.parts;
    }
    if (room) {
        json["bank"] = {{"freeBytes", room->freeBytes}, {"fits", room->fits}};
    }
    out << json.dump(2) << "\n";
}

void PrintText(const interchange::MelodyFit& fit, const std::optional<bank::RecordRoom>& room, std::ostream& out) {
    out << "notes            " << fit.notes << "\n";
    out << "seconds          " << Seconds(fit.seconds) << "\n";
    out << "out of range     phone: " << Listed(fit.outOfRangePhone)
        << "; logomanager: " << Listed(fit.outOfRangeLogoManager) << "\n";
    out << "tone data        " << fit.toneDataBytes << " bytes\n";
    out << "smart messaging  ";
    if (fit.sms.bytes) {
        out << *fit.sms.bytes << " bytes, ";
        out << (fit.sms.parts ? std::to_string(*fit.sms.parts) + " SMS" : std::string("more than 3 SMS")) << "\n";
    } else {
        out << "none\n";
    }
    out << "composer         " << (fit.composer.fits ? "fits" : "does not fit") << "\n";
    if (room) {
        out << "bank             " << room->freeBytes << " bytes free, the record takes " << room->recordBytes << ": "
            << (room->fits ? "fits" : "does not fit") << "\n";
    }
    std::vector<std::string> problems = interchange::FitProblems(fit);
    if (room) {
        problems.insert(problems.end(), room->problems.begin(), room->problems.end());
    }
    for (const std::string& problem : problems) {
        out << "- " << Latin1ToUtf8(problem) << "\n";
    }
}

ExitStatus Fit(const FitOptions& options, Console& console) {
    const formats::Result<Measured> measured = Measure(options, console);
    if (!measured) {
        return console.Refuse(measured.error().message);
    }
    std::optional<bank::RecordRoom> room;
    if (!options.image.empty()) {
        const formats::Result<bank::ToneBank> bank = LoadBank(console, options.image);
        if (!bank) {
            return console.Refuse(bank.error().message);
        }
        formats::Result<bank::RecordRoom> found = bank::RoomForRecord(*bank, measured->record);
        if (!found) {
            return console.Refuse(found.error().message);
        }
        room = std::move(*found);
    }
    if (options.json) {
        PrintJson(measured->fit, room, console.Out());
    } else {
        PrintText(measured->fit, room, console.Out());
    }
    return console.FinishOut();
}

}  // namespace

void AddFitCommands(CLI::App& app, CommandTable& table) {
    const auto [fit, options] = table.AddCommandWith<FitOptions>(
        app, "fit",
        "Say whether a melody fits the phone: notes, length, notes out of range, tone data, Smart Messaging SMS, "
        "the Composer and the free room of a firmware image.",
        "  belltower-cli fit tune.mid\n"
        "  belltower-cli fit chime.rtx --image 3310.fls --json",
        Fit);
    fit->add_option("IN", options->input,
                    "Ringtone file (RTX or ERT text), RE, MIDI, .ott, iMelody or Composer file, recognised by its "
                    "content; - reads standard input.")
        ->required();
    fit->add_option("--image", options->image,
                    "A firmware image: say how many bytes its TONE chunk has free and whether the melody fits.")
        ->type_name("FILE.fls");
    AddMelodyInputOptions(*fit, options->reading);
    fit->add_flag("--json", options->json, "Write a JSON document instead of text.");
}

}  // namespace belltower::cli
