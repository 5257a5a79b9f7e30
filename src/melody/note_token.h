// SPDX-License-Identifier: GPL-3.0-or-later
// Reading one token of the notes text: the part of the note language that the tone encoder and
// the other melody writers share (see tone_encoder.h for the whole language). What a token
// means in time and in bytes stays with each writer.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace belltower::melody {

// The notes text cut into tokens at blanks and commas; every other character (line breaks and
// tabs too) belongs to its token, which is lower-cased (Latin-1).
std::vector<std::string> TokenizeNotes(std::string_view notes);

// TokenizeNotes with where each token stands in the notes text.
struct PlacedToken {
    std::string text;  // lower-cased
    std::size_t start = 0;
    std::size_t length = 0;
};
std::vector<PlacedToken> TokenizeNotesPlaced(std::string_view notes);

// A note or pause token taken apart: [dd]L[#][.][octave][#][.]
struct NoteToken {
    std::optional<double> fraction;  // the duration prefix (one or two digits 1-9), when present
    char letter = 0;                 // the character after the prefix; a note only for c d e f g a b h p -
    bool sharp = false;              // '#' before or after the octave
    bool dotted = false;             // '.' before or after the octave
    std::string_view octaveText;     // what stands between the marks; the octave when its value is > 0
};

// Takes a lower-cased token apart; nullopt for a token of digits only (no letter). The token
// must outlive the result (octaveText points into it). Tags (t..., v...) are the caller's.
std::optional<NoteToken> ReadNoteToken(std::string_view token);

// The pitch base of a note letter (code = base + 1 + 12 x octave, +1 when sharp): c 66, d 68,
// e 70, f 71, g 73, a 75, b and h 77; nullopt for any other letter, the pause letters too.
std::optional<double> PitchBase(char letter);

inline bool IsPauseLetter(char letter) {
    return letter == 'p' || letter == '-';
}

}  // namespace belltower::melody
