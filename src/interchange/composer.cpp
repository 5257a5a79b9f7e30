// SPDX-License-Identifier: GPL-3.0-or-later
#include "interchange/composer.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "formats/message_text.h"
#include "formats/text_value.h"
#include "interchange/ott.h"
#include "interchange/score_notes.h"
#include "melody/note_token.h"
#include "melody/timeline.h"

namespace belltower::interchange {
namespace {

using formats::ByteView;
using melody::ItemKind;
using melody::Score;
using melody::ScoreItem;

constexpr std::string_view kLetters = "cdefgab";  // the Composer keys 1..7
constexpr int kFirstLength = 4;                   // the Composer starts each melody at quarter notes

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(Trimmed(text.substr(start, end - start)));  // the last line runs to the end
        if (end == std::string_view::npos) {
            return lines;
        }
        start = end + 1;
    }
}

std::vector<std::string_view> Tokens(std::string_view line) {
    std::vector<std::string_view> tokens;
    std::size_t start = 0;
    while (start < line.size()) {
        const std::size_t end = std::min(line.find_first_of(" \t,", start), line.size());
        if (end > start) {
            tokens.push_back(line.substr(start, end - start));
        }
        start = end + 1;
    }
    return tokens;
}

// The value of a "Field: value" line, when the line is that field's (any case).
std::optional<std::string_view> FieldValue(std::string_view line, std::string_view field) {
    if (line.size() <= field.size() || line[field.size()] != ':') {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(line[i])) != field[i]) {
            return std::nullopt;
        }
    }
    return Trimmed(line.substr(field.size() + 1));
}

// One Composer token: length, then a rest "-" or [#]letter octave, with one "." before or
// after the letter or after the octave.
std::optional<ScoreItem> ReadToken(std::string_view token) {
    std::size_t pos = 0;
    int length = 0;
    while (pos < token.size() && pos < 2 && std::isdigit(static_cast<unsigned char>(token[pos]))) {
        length = length * 10 + (token[pos++] - '0');
    }
    if (std::find(ComposerLengths().begin(), ComposerLengths().end(), length) == ComposerLengths().end()) {
        return std::nullopt;
    }
    int dots = 0;
    const auto dot = [&] {
        if (pos < token.size() && token[pos] == '.') {
            ++dots;
            ++pos;
        }
    };
    dot();
    if (pos < token.size() && token[pos] == '-') {
        ++pos;
        dot();
        return pos == token.size() && dots <= 1 ? std::optional(ItemForCode(0, length, dots == 1)) : std::nullopt;
    }
    const bool sharp = pos < token.size() && token[pos] == '#';
    pos += sharp ? 1 : 0;
    if (pos >= token.size()) {
        return std::nullopt;
    }
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(token[pos++])));
    const std::optional<double> base = melody::PitchBase(letter);  // h is b, as ringtone text has it
    dot();
    if (!base || pos >= token.size() || token[pos] < '1' || token[pos] > '3') {
        return std::nullopt;
    }
    const int octave = token[pos++] - '1' + kComposerLowOctave;
    dot();
    if (pos != token.size() || dots > 1) {
        return std::nullopt;
    }
    return ItemForCode(static_cast<int>(*base) + 1 + 12 * octave + (sharp ? 1 : 0), length, dots == 1);
}

bool AllComposerTokens(std::string_view line) {
    const std::vector<std::string_view> tokens = Tokens(line);
    return !tokens.empty() &&
           std::all_of(tokens.begin(), tokens.end(), [](std::string_view t) { return ReadToken(t).has_value(); });
}

// The line that holds the notes: the Notes line, or else the first line that is not blank.
struct NotesLine {
    std::string_view notes;
    bool labelled = false;
};

std::optional<NotesLine> FindNotes(const std::vector<std::string_view>& lines) {
    for (const std::string_view line : lines) {
        if (const auto notes = FieldValue(line, "notes"); notes && notes->find(':') == std::string_view::npos) {
            return NotesLine{*notes, true};
        }
    }
    const auto first = std::find_if(lines.begin(), lines.end(), [](std::string_view l) { return !l.empty(); });
    if (first == lines.end()) {
        return std::nullopt;
    }
    return NotesLine{*first, false};
}

}  // namespace

const std::vector<int>& ComposerLengths() {
    static const std::vector<int> lengths = {1, 2, 4, 8, 16, 32};
    return lengths;
}

bool LooksLikeComposer(ByteView bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const auto notes = FindNotes(Lines(text));
    if (!notes) {
        return false;
    }
    if (notes->labelled) {
        const std::vector<std::string_view> tokens = Tokens(notes->notes);
        return std::any_of(tokens.begin(), tokens.end(), [](std::string_view t) { return ReadToken(t).has_value(); });
    }
    return AllComposerTokens(notes->notes);
}

formats::Result<MelodyImport> ReadComposer(ByteView bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const std::vector<std::string_view> lines = Lines(text);
    MelodyImport import;
    Score& score = import.score;
    for (const std::string_view line : lines) {
        if (const auto name = FieldValue(line, "name")) {
            score.settings.name = std::string(*name);
        } else if (const auto tempo = FieldValue(line, "tempo")) {
            const double value = std::strtod(std::string(*tempo).c_str(), nullptr);
            if (value > 0 && std::isfinite(value)) {
                score.settings.tempo = value;
            }
        }
    }
    const auto notes = FindNotes(lines);
    std::vector<std::string> skipped;
    for (const std::string_view token : notes ? Tokens(notes->notes) : std::vector<std::string_view>{}) {
        if (auto item = ReadToken(token)) {
            score.items.push_back(std::move(*item));
        } else {
            skipped.emplace_back("\"" + std::string(token) + "\"");
        }
    }
    if (score.items.empty()) {
        return formats::MakeError(formats::ErrorCode::BadInput, "The text holds no Composer notes.");
    }
    if (!skipped.empty()) {
        import.warnings.push_back("Skipped what is not a Composer note: " + ListFirst(skipped) + ".");
    }
    UseCommonDefaults(score);
    return ImportOf(std::move(score), std::move(import.warnings));
}

namespace {

// A note or rest as the Composer holds it.
struct ComposerNote {
    int code{};  // 0 for a rest
    TextLength length;
};

// The whole-octave shift that brings the ringtone octaves low..high into the Composer's.
int OctaveShift(int low, int high) {
    const int top = kComposerLowOctave + kComposerOctaves - 1;
    if (low < kComposerLowOctave) {
        return kComposerLowOctave - low;
    }
    return high > top ? top - high : 0;
}

std::string OctaveWords(int shift) {
    const int octaves = std::abs(shift);
    return (shift > 0 ? "up " : "down ") + std::to_string(octaves) + (octaves == 1 ? " octave" : " octaves");
}

// Moves the notes into the Composer's octaves, as its header comment says; the warning.
std::optional<std::string> FitOctaves(std::vector<ComposerNote>& notes) {
    int low = 99;
    int high = -99;
    for (const ComposerNote& note : notes) {
        if (note.code != 0) {
            const int octave = melody::NameOfCode(static_cast<std::uint8_t>(note.code)).octave;
            low = std::min(low, octave);
            high = std::max(high, octave);
        }
    }
    if (low > high) {
        return std::nullopt;
    }
    if (high - low < kComposerOctaves) {
        const int shift = OctaveShift(low, high);
        for (ComposerNote& note : notes) {
            note.code += note.code != 0 ? 12 * shift : 0;
        }
        if (shift == 0) {
            return std::nullopt;
        }
        return "The melody was moved " + OctaveWords(shift) + " into the Composer's octaves 1-3.";
    }
    std::vector<std::string> moved;
    for (ComposerNote& note : notes) {
        const int octave =
            note.code != 0 ? melody::NameOfCode(static_cast<std::uint8_t>(note.code)).octave : kComposerLowOctave;
        if (const int shift = OctaveShift(octave, octave); shift != 0) {
            moved.push_back(melody::NoteLabel(static_cast<std::uint8_t>(note.code)) + " " + OctaveWords(shift));
            note.code += 12 * shift;
        }
    }
    return "The melody spans more than the Composer's three octaves: notes outside them were moved (" +
           ListFirst(moved) + ").";
}

std::string NoteToken(const ComposerNote& note, int composerOctave) {
    std::string token = std::to_string(note.length.fraction) + (note.length.dotted ? "." : "");
    if (note.code == 0) {
        return token + "-";
    }
    const melody::NoteName name = melody::NameOfCode(static_cast<std::uint8_t>(note.code));
    return token + (name.sharp ? "#" : "") + name.letter + std::to_string(composerOctave);
}

// The Notes and Keys lines' tokens.
void WriteNotesAndKeys(const std::vector<ComposerNote>& notes, std::string& notesLine, std::string& keysLine) {
    int octave = 1;
    int length = kFirstLength;
    for (const ComposerNote& note : notes) {
        const melody::NoteName name = melody::NameOfCode(static_cast<std::uint8_t>(note.code));
        const int composerOctave = name.octave - kComposerLowOctave + 1;
        std::string keys = note.code == 0 ? "0" : std::to_string(kLetters.find(name.letter) + 1);
        if (note.length.dotted) {
            keys += "(hold)";
        }
        if (note.code != 0) {
            keys += name.sharp ? "#" : "";
            keys.append(static_cast<std::size_t>((composerOctave - octave + kComposerOctaves) % kComposerOctaves), '*');
            octave = composerOctave;
        }
        for (; length < note.length.fraction; length *= 2) {
            keys += '8';
        }
        for (; length > note.length.fraction; length /= 2) {
            keys += '9';
        }
        notesLine += (notesLine.empty() ? "" : " ") + NoteToken(note, composerOctave);
        keysLine += (keysLine.empty() ? "" : " ") + keys;
    }
}

// The Smart Messaging tempo nearest the melody's.
int ComposerTempo(double tempo) {
    return *std::min_element(kOttTempos.begin(), kOttTempos.end(),
                             [tempo](int a, int b) { return std::fabs(a - tempo) < std::fabs(b - tempo); });
}

std::string LineText(std::string_view name) {
    std::string text(name);
    std::replace_if(text.begin(), text.end(), IsControlCharacter, ' ');
    return text;
}

}  // namespace

MelodyExport WriteComposer(const Score& score) {
    MelodyExport out;
    std::vector<ComposerNote> notes;
    std::vector<std::string> rounded;
    for (const ScoreNote& note : ScoreNotes(score)) {
        const TextLength length = NearestLength(note.Whole(), ComposerLengths());
        if (!SameLength(length.Whole(), note.Whole())) {
            rounded.push_back(melody::WriteToken(score.items[note.item]));
        }
        notes.push_back({note.code, length});
    }
    std::vector<std::string> tags;
    for (const ScoreItem& item : score.items) {
        if (item.kind == ItemKind::Tempo || item.kind == ItemKind::Vibration) {
            tags.push_back(melody::WriteToken(item));
        }
    }
    if (!rounded.empty()) {
        out.warnings.push_back("The Composer has no length for " + ListFirst(rounded) +
                               ": the nearest length is written.");
    }
    if (auto moved = FitOctaves(notes)) {
        out.warnings.push_back(std::move(*moved));
    }
    if (notes.size() > kComposerMaxNotes) {
        out.warnings.push_back("The melody has " + std::to_string(notes.size()) +
                               " notes and rests: the phone's Composer keeps the first 50.");
    }
    if (!tags.empty()) {
        out.warnings.push_back("The Composer has one tempo and no vibration: " + ListFirst(tags) + " not written.");
    }
    const std::string& name = score.settings.name;
    if (std::any_of(name.begin(), name.end(), IsControlCharacter)) {
        out.warnings.emplace_back(kNameBlanksText);
    }
    const int tempo = ComposerTempo(score.settings.tempo);
    if (static_cast<double>(tempo) != score.settings.tempo) {
        out.warnings.push_back("The tempo " + formats::NumberText(score.settings.tempo) +
                               " is not one the Composer has: it becomes " + std::to_string(tempo) + ".");
    }
    std::string notesLine;
    std::string keysLine;
    WriteNotesAndKeys(notes, notesLine, keysLine);
    const std::string text = "Name: " + LineText(score.settings.name) + "\nTempo: " + std::to_string(tempo) +
                             "\nNotes: " + notesLine + "\nKeys: " + keysLine + "\n";
    out.bytes.assign(text.begin(), text.end());
    return out;
}

}  // namespace belltower::interchange
