#include "melody/rtx_text.h"

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

void ApplySetting(std::string_view item, MelodyFields& fields) {
    const auto equals = item.find('=');
    if (equals == std::string_view::npos) {
        return;
    }
    const std::string key = Lower(item.substr(0, equals));
    const std::string value(item.substr(equals + 1));
    if (key == "d") {
        fields.duration = value;
    } else if (key == "o") {
        fields.octave = value;
    } else if (key == "b") {
        fields.tempo = value;
    } else if (key == "f") {
        fields.id = value;
    } else if (key == "i") {
        fields.index = value;
    } else if (key == "s") {
        fields.staccato = value;
    } else if (key == "@") {
        fields.delay = value;
    } else if (key == "c") {
        const double number = formats::TextValue(value);
        if (number > 0) {
            fields.forceOnePlay = true;
        } else if (number == 0) {
            fields.forceOnePlay = false;
        }
    }
}

}  // namespace

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
    line += ":d=" + fields.duration;
    line += ",o=" + fields.octave;
    line += ",b=" + fields.tempo;
    line += ",f=" + fields.id;
    line += ",i=" + fields.index;
    line += fields.forceOnePlay ? ",c=1" : ",c=0";
    line += ",s=" + fields.staccato;
    line += ",@=" + fields.delay;
    line += ":" + fields.notes;
    line += "\r\n";
    return line;
}

}  // namespace belltower::melody
