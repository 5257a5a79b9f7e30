// SPDX-License-Identifier: GPL-3.0-or-later
#include "melody/score.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "formats/text_value.h"
#include "formats/tone_commands.h"
#include "melody/note_token.h"
#include "melody/rtx_text.h"

namespace belltower::melody {
namespace {

using formats::TextValue;

// One lower-cased token of the notes text as an item (see tone_encoder.h for what each means).
ScoreItem ReadItem(std::string_view token) {
    if (token.front() == 't') {
        // A tempo of 0 or less would stop every following note; the encoder ignores it.
        const double tempo = TextValue(token.substr(1));
        return tempo > 0 ? ScoreItem::TempoChange(tempo) : ScoreItem::Unread(std::string(token));
    }
    if (token.front() == 'v') {
        const double value = TextValue(token.substr(1));
        if (value == 0 || value == 1) {
            return ScoreItem::VibrationSwitch(value == 1);
        }
        return ScoreItem::Unread(std::string(token));
    }
    const auto read = ReadNoteToken(token);
    if (!read) {
        return ScoreItem::Unread(std::string(token));
    }
    // The prefix is one or two digits 1-9, so it always fits.
    const std::optional<int> fraction =
        read->fraction ? std::optional<int>(static_cast<int>(*read->fraction)) : std::nullopt;
    if (IsPauseLetter(read->letter)) {
        ScoreItem pause = ScoreItem::Pause(fraction, read->dotted);
        pause.letter = read->letter;
        return pause;
    }
    if (!PitchBase(read->letter)) {
        return ScoreItem::Unread(std::string(token));
    }
    const double octave = TextValue(read->octaveText);
    return ScoreItem::Note(read->letter, read->sharp, fraction, read->dotted,
                           octave > 0 ? std::optional<double>(octave) : std::nullopt);
}

std::string FractionText(const ScoreItem& item) {
    return item.fraction ? std::to_string(*item.fraction) : std::string();
}

}  // namespace

ScoreItem ScoreItem::Note(char letter, bool sharp, std::optional<int> fraction, bool dotted,
                          std::optional<double> octave) {
    ScoreItem item;
    item.kind = ItemKind::Note;
    item.letter = letter;
    item.sharp = sharp;
    item.fraction = fraction;
    item.dotted = dotted;
    item.octave = octave;
    return item;
}

ScoreItem ScoreItem::Pause(std::optional<int> fraction, bool dotted) {
    ScoreItem item;
    item.kind = ItemKind::Pause;
    item.letter = 'p';
    item.fraction = fraction;
    item.dotted = dotted;
    return item;
}

ScoreItem ScoreItem::TempoChange(double tempo) {
    ScoreItem item;
    item.kind = ItemKind::Tempo;
    item.tempo = tempo;
    return item;
}

ScoreItem ScoreItem::VibrationSwitch(bool on) {
    ScoreItem item;
    item.kind = ItemKind::Vibration;
    item.vibrationOn = on;
    return item;
}

ScoreItem ScoreItem::Unread(std::string text) {
    ScoreItem item;
    item.kind = ItemKind::Other;
    item.text = std::move(text);
    return item;
}

std::string_view SelectedNotes(std::string_view notes, std::optional<NotesSelection> selection) {
    if (!selection || selection->length < 1) {
        return notes;
    }
    // A selection past the end is empty, at the end of the notes.
    return notes.substr(std::min(selection->start, notes.size()), selection->length);
}

ScoreSettings ReadSettings(const MelodyFields& fields) {
    ScoreSettings settings;
    settings.name = fields.name;
    settings.duration = TextValue(fields.duration);
    settings.octave = TextValue(fields.octave);
    settings.tempo = TextValue(fields.tempo);
    settings.staccato = TextValue(fields.staccato);
    settings.delay = TextValue(fields.delay);
    settings.id = fields.id;
    settings.index = TextValue(fields.index);
    settings.playTwice = fields.playTwice;
    settings.forceOnePlay = fields.forceOnePlay;
    settings.noSmallPauses = fields.noSmallPauses;
    return settings;
}

Score ReadScore(const MelodyFields& fields, std::optional<NotesSelection> selection) {
    Score score{ReadSettings(fields), {}};
    const std::string_view notes = SelectedNotes(fields.notes, selection);
    const auto shift = static_cast<std::size_t>(notes.data() - fields.notes.data());
    for (PlacedToken& token : TokenizeNotesPlaced(notes)) {
        ScoreItem item = ReadItem(token.text);
        item.text = std::move(token.text);
        item.range = {shift + token.start, token.length};
        score.items.push_back(std::move(item));
    }
    return score;
}

Score ReadScoreText(std::string_view fileText) {
    MelodyFields fields;
    ReadRtxText(fileText, fields);
    return ReadScore(fields);
}

std::string WriteToken(const ScoreItem& item) {
    switch (item.kind) {
    case ItemKind::Note: {
        std::string text = FractionText(item) + item.letter;
        if (item.sharp) {
            text += '#';
        }
        if (item.octave) {
            text += ExactNumberText(*item.octave);
        }
        return item.dotted ? text + '.' : text;
    }
    case ItemKind::Pause: {
        const std::string text = FractionText(item) + (item.letter == 0 ? 'p' : item.letter);
        return item.dotted ? text + '.' : text;
    }
    case ItemKind::Tempo:
        return "t" + ExactNumberText(item.tempo);
    case ItemKind::Vibration:
        return item.vibrationOn ? "v1" : "v0";
    case ItemKind::Other:
        break;
    }
    return item.text;
}

std::string WriteNotes(const Score& score) {
    std::string notes;
    for (const ScoreItem& item : score.items) {
        if (!notes.empty()) {
            notes += ' ';
        }
        notes += WriteToken(item);
    }
    return notes;
}

MelodyFields WriteFields(const Score& score) {
    const ScoreSettings& settings = score.settings;
    MelodyFields fields;
    fields.name = settings.name;
    fields.duration = ExactNumberText(settings.duration);
    fields.octave = ExactNumberText(settings.octave);
    fields.tempo = ExactNumberText(settings.tempo);
    fields.notes = WriteNotes(score);
    fields.id = settings.id;
    fields.delay = ExactNumberText(settings.delay);
    fields.index = ExactNumberText(settings.index);
    fields.staccato = ExactNumberText(settings.staccato);
    fields.playTwice = settings.playTwice;
    fields.forceOnePlay = settings.forceOnePlay;
    fields.noSmallPauses = settings.noSmallPauses;
    return fields;
}

std::string ExactNumberText(double value) {
    if (std::isinf(value)) {
        return value > 0 ? "1e999" : "-1e999";  // too large for a double: read back as infinity
    }
    if (std::isnan(value)) {
        return "0";
    }
    char text[40];
    if (value == std::trunc(value) && std::fabs(value) < 1e15) {
        std::snprintf(text, sizeof text, "%.0f", value);
        return text;
    }
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (TextValue(text) == value) {
            break;
        }
    }
    return text;
}

std::optional<double> NoteCode(const ScoreItem& item, double defaultOctave) {
    if (item.kind != ItemKind::Note) {
        return std::nullopt;
    }
    const auto base = PitchBase(item.letter);
    if (!base) {
        return std::nullopt;
    }
    return *base + 1 + 12 * item.octave.value_or(defaultOctave) + (item.sharp ? 1 : 0);
}

double NoteUnits(double fraction, bool dotted, double tempo) {
    double units = formats::tone::kLengthRule / (fraction * tempo);
    if (dotted) {
        units *= 1.5;
    }
    units = formats::RoundHalfEven(units);
    return units == 0 ? 1 : units;
}

}  // namespace belltower::melody
