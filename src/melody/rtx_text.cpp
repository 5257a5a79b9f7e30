// SPDX-License-Identifier: GPL-3.0-or-later
#include "melody/rtx_text.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "formats/text_value.h"

namespace belltower::melody {
namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    for (auto& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

// The settings a line gives as text, each by its key, in the order a line is written; the
// tick "c" (force one play) is written after "i".
struct TextSetting {
    std::string_view key;
    std::string MelodyFields::*field;
};
constexpr auto kTextSettings = std::to_array<TextSetting>({
    {"d", &MelodyFields::duration},
    {"o", &MelodyFields::octave},
    {"b", &MelodyFields::tempo},
    {"f", &MelodyFields::id},
    {"i", &MelodyFields::index},
    {"s", &MelodyFields::staccato},
    {"@", &MelodyFields::delay},
});

void ApplySetting(std::string_view item, MelodyFields& fields) {
    const auto equals = item.find('=');
    if (equals == std::string_view::npos) {
        return;
    }
    const std::string key = Lower(item.substr(0, equals));
    const std::string value(item.substr(equals + 1));
    for (const auto& [settingKey, field] : kTextSettings) {
        if (key == settingKey) {
            fields.*field = value;
            return;
        }
    }
    if (key == "c") {
        const double number = formats::TextValue(value);
        if (number > 0) {
            fields.forceOnePlay = true;
        } else if (number == 0) {
            fields.forceOnePlay = false;
        }
    }
}

// What a binary file most likely is, by the first bytes its format starts with.
std::string_view BinaryKind(std::string_view bytes) {
    const struct {
        std::string_view magic;
        std::size_t at;
        std::string_view kind;
    } kinds[] = {
        {"WAVE", 8, "a WAV file"},
        {"\x89PNG", 0, "a PNG image"},
        {"GIF8", 0, "a GIF image"},
        {"\xFF\xD8\xFF", 0, "a JPEG image"},
        {"MThd", 0, "a MIDI file"},
        {"PK\x03\x04", 0, "a ZIP archive"},
        {"%PDF", 0, "a PDF document"},
        {"\x7F"
         "ELF",
         0, "a program"},
        {"BM", 0, "a bitmap image"},
        {"PPM", 0, "a firmware image"},
    };
    for (const auto& kind : kinds) {
        if (bytes.size() >= kind.at + kind.magic.size() && bytes.substr(kind.at, kind.magic.size()) == kind.magic) {
            return kind.kind;
        }
    }
    return "binary data";
}

bool IsControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\t') || byte == 0x7F;
}

// A name character that would break the line: ":" ends the name early, a line break ends the
// line, and a control byte makes the file read as binary data.
bool BreaksName(char c) {
    return c == ':' || IsControl(c);
}

}  // namespace

bool NameFitsRtxText(std::string_view name) {
    return std::none_of(name.begin(), name.end(), BreaksName);
}

formats::Result<void> CheckRingtoneText(std::string_view fileText) {
    const std::string_view line = FirstLine(fileText);
    const bool binary =
        fileText.find('\0') != std::string_view::npos || std::any_of(line.begin(), line.end(), IsControl);
    const bool shapeless =
        !fileText.empty() && line.find(':') == std::string_view::npos &&
        std::none_of(line.begin(), line.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; });
    if (!binary && !shapeless) {
        return {};
    }
    return formats::MakeError(
        formats::ErrorCode::BadInput,
        "This is not ringtone text: it looks like " +
            std::string(binary ? BinaryKind(fileText) : "no melody (no name, settings or notes)") + ".");
}

std::string_view FirstLine(std::string_view fileText) {
    const auto end = fileText.find_first_of("\r\n");
    return end == std::string_view::npos ? fileText : fileText.substr(0, end);
}

void ReadRtxText(std::string_view fileText, MelodyFields& fields) {
    const std::string_view line = FirstLine(fileText);
    const auto p1 = line.find(':');
    if (p1 == std::string_view::npos) {
        fields.notes = std::string(line);
        return;
    }
    fields.name = std::string(line.substr(0, p1));
    const auto p2 = line.find(':', p1 + 1);
    if (p2 == std::string_view::npos) {
        fields.notes = std::string(line);
        return;
    }
    std::string_view settings = line.substr(p1 + 1, p2 - p1 - 1);
    while (!settings.empty()) {
        const auto comma = settings.find(',');
        ApplySetting(settings.substr(0, comma), fields);
        if (comma == std::string_view::npos) {
            break;
        }
        settings.remove_prefix(comma + 1);
    }
    fields.notes = std::string(line.substr(p2 + 1));
}

std::string WriteRtxText(const MelodyFields& fields) {
    std::string line = fields.name;
    std::replace(line.begin(), line.end(), ':', '-');
    std::replace_if(line.begin(), line.end(), IsControl, ' ');
    for (const auto& [key, field] : kTextSettings) {
        line += (key == "d" ? ":" : ",") + std::string(key) + "=" + fields.*field;
        if (key == "i") {
            line += fields.forceOnePlay ? ",c=1" : ",c=0";
        }
    }
    line += ":" + fields.notes;
    line += "\r\n";
    return line;
}

}  // namespace belltower::melody
