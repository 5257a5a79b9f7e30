// SPDX-License-Identifier: GPL-3.0-or-later
// What the text formats of other phones share: a typed melody's notes and pauses with their
// defaults filled in, built back into a typed melody, and note lengths as whole-note fractions.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "melody/score.h"

namespace belltower::interchange {

// A note or pause of a score as it plays: the default duration and octave filled in.
struct ScoreNote {
    std::size_t item = 0;  // its index in score.items
    bool rest = false;
    int code = 0;  // note code (0x7C is a of octave 4); 0 for a rest
    double fraction = 4;
    bool dotted = false;
    double tempo = 0;  // the tempo in force, beats per minute

    // The length as a part of a whole note: 1/fraction, x1.5 when dotted.
    double Whole() const { return (dotted ? 1.5 : 1.0) / fraction; }
};

// The notes and pauses of a score in order. A note whose code falls outside 0..255 (an octave
// the encoder refuses) is kept at the nearest code.
std::vector<ScoreNote> ScoreNotes(const melody::Score& score);

// A note or pause item for a code (0 for a pause) with an explicit fraction and octave.
melody::ScoreItem ItemForCode(int code, int fraction, bool dotted);

// Makes the most used fraction and octave the score's defaults and leaves them out of the
// items that have them, so that the text needs as few prefixes and octaves as it can.
void UseCommonDefaults(melody::Score& score);

// A length ringtone text can write: 1/fraction, x1.5 when dotted.
struct TextLength {
    int fraction = 4;
    bool dotted = false;

    double Whole() const { return (dotted ? 1.5 : 1.0) / fraction; }
};

// Of the candidates (anything with a Whole() length), the one nearest by ratio to a length in
// whole notes; the first of equally near ones.
template <typename Length>
Length NearestByRatio(const std::vector<Length>& candidates, double whole) {
    Length best{};
    double bestDistance = INFINITY;
    for (const Length& candidate : candidates) {
        const double distance = std::fabs(std::log(candidate.Whole() / whole));
        if (distance < bestDistance - 1e-12) {
            bestDistance = distance;
            best = candidate;
        }
    }
    return best;
}

// The fractions of a whole note that ringtone text writes (12, 24 and 48 are triplets).
inline const std::vector<int> kTextFractions = {1, 2, 3, 4, 6, 8, 12, 16, 24, 32, 48};

// The writable length nearest (by ratio) to a length in whole notes, among the given fractions,
// plain or dotted.
TextLength NearestLength(double whole, const std::vector<int>& fractions);

// Lengths equal within rounding of the arithmetic.
bool SameLength(double a, double b);

// A line break or another control character (below 0x20, or 0x7F): the text formats write it
// in a name as a blank, and their writers warn with kNameBlanksText.
bool IsControlCharacter(char c);
inline constexpr std::string_view kNameBlanksText =
    "The name's line breaks and control characters are written as blanks.";

// "a", "the 2 notes" style helpers for warnings: the first few items of a list, joined.
std::string ListFirst(const std::vector<std::string>& texts, std::size_t shown = 5);

}  // namespace belltower::interchange
