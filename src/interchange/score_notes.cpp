// SPDX-License-Identifier: GPL-3.0-or-later
#include "interchange/score_notes.h"

#include <cmath>

#include "formats/text_value.h"
#include "interchange/most_used.h"
#include "melody/timeline.h"

namespace belltower::interchange {

using melody::ItemKind;
using melody::Score;
using melody::ScoreItem;

std::vector<ScoreNote> ScoreNotes(const Score& score) {
    std::vector<ScoreNote> notes;
    double tempo = score.settings.tempo;
    for (std::size_t i = 0; i < score.items.size(); ++i) {
        const ScoreItem& item = score.items[i];
        if (item.kind == ItemKind::Tempo) {
            tempo = item.tempo;
            continue;
        }
        if (item.kind != ItemKind::Note && item.kind != ItemKind::Pause) {
            continue;
        }
        ScoreNote note;
        note.item = i;
        note.rest = item.kind == ItemKind::Pause;
        note.fraction = item.fraction ? *item.fraction : score.settings.duration;
        note.dotted = item.dotted;
        note.tempo = tempo;
        if (const auto pitch = melody::NoteCode(item, score.settings.octave); pitch && !note.rest) {
            const double code = formats::RoundHalfEven(*pitch);
            note.code = std::isfinite(code) ? static_cast<int>(std::clamp(code, 0.0, 255.0)) : 0;
        }
        notes.push_back(note);
    }
    return notes;
}

ScoreItem ItemForCode(int code, int fraction, bool dotted) {
    if (code == 0) {
        return ScoreItem::Pause(fraction, dotted);
    }
    const melody::NoteName name = melody::NameOfCode(static_cast<std::uint8_t>(code));
    return ScoreItem::Note(name.letter, name.sharp, fraction, dotted, name.octave);
}

void UseCommonDefaults(Score& score) {
    std::vector<int> fractions;
    std::vector<int> octaves;
    for (const ScoreItem& item : score.items) {
        if (item.fraction) {  // only notes and pauses have one
            fractions.push_back(*item.fraction);
        }
        if (item.kind == ItemKind::Note && item.octave) {
            octaves.push_back(static_cast<int>(*item.octave));
        }
    }
    const int fraction = MostUsed(fractions, 4);
    const int octave = MostUsed(octaves, 5);
    score.settings.duration = fraction;
    score.settings.octave = octave;
    for (ScoreItem& item : score.items) {
        if (item.fraction == fraction) {
            item.fraction.reset();
        }
        // An octave of 0 or less cannot be written (the text reads it as "no octave"), so
        // such a note keeps the default only when the default is its octave.
        if (item.octave && *item.octave == octave) {
            item.octave.reset();
        }
    }
}

TextLength NearestLength(double whole, const std::vector<int>& fractions) {
    std::vector<TextLength> candidates;
    for (const int fraction : fractions) {
        candidates.push_back({fraction, false});
        candidates.push_back({fraction, true});
    }
    return NearestByRatio(candidates, whole);
}

bool SameLength(double a, double b) {
    return std::fabs(a - b) <= 1e-9 * std::max(std::fabs(a), std::fabs(b));
}

bool IsControlCharacter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

std::string ListFirst(const std::vector<std::string>& texts, std::size_t shown) {
    std::string list;
    for (std::size_t i = 0; i < texts.size() && i < shown; ++i) {
        list += (i == 0 ? "" : ", ") + texts[i];
    }
    if (texts.size() > shown) {
        list += " and " + std::to_string(texts.size() - shown) + " more";
    }
    return list;
}

}  // namespace belltower::interchange
