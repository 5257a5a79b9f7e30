// SPDX-License-Identifier: GPL-3.0-or-later
// The phone's Composer codes: a melody as its own Composer shows it and as the keys that type
// it in, the form ringtone pages have published since the early phones.
//
// A Composer file is a few lines of text:
//   Name: Kylie
//   Tempo: 125                      one of the Smart Messaging tempos (see ott.h)
//   Notes: 8.#g1 4- 16c2            per note: length (1 2 4 8 16 32), "." when dotted, "#" when
//                                   sharp, the letter (h is b), the Composer octave 1-3 (ringtone
//                                   octaves 5-7); a rest is the length and "-"
//   Keys: 5(hold)#**88 0 1*8        per note, separated by blanks: the key of the letter (1 c ..
//                                   7 b, 0 a rest), "(hold)" for a dotted note, "#" for a sharp,
//                                   one "*" per octave step from the previous note's octave
//                                   (1, 2, 3, then 1 again; the first note starts at 1), one "8"
//                                   per halving or "9" per doubling of the previous length (the
//                                   first note starts from a quarter)
// Pages often give the notes alone, as one line of tokens; that reads too. The Composer holds at
// most 50 notes and rests, in three octaves, with lengths 1 to 32.
#pragma once

#include <string>
#include <vector>

#include "formats/bytes.h"
#include "formats/result.h"
#include "interchange/format_table.h"
#include "interchange/score_notes.h"
#include "melody/score.h"

namespace belltower::interchange {

// The Composer's limits.
inline constexpr std::size_t kComposerMaxNotes = 50;
inline constexpr int kComposerLowOctave = 5;  // ringtone octave of Composer octave 1
inline constexpr int kComposerOctaves = 3;

// The note lengths the Composer has keys for, as whole-note fractions (each may be dotted).
const std::vector<int>& ComposerLengths();

// A text with a "Notes:" line, or a text whose first line that is not blank is a line of
// Composer tokens and nothing else.
bool LooksLikeComposer(formats::ByteView bytes);

// Reads Composer notes (the Name and Tempo lines when there are any); a token that is not a
// Composer note or rest is skipped with a warning that names it.
// Failures: BadInput when the text holds no Composer note at all.
formats::Result<MelodyImport> ReadComposer(formats::ByteView bytes);

// Writes the Name, Tempo, Notes and Keys lines, each ended by a line feed. Lengths the Composer
// has no key for are rounded; a melody that spans three octaves or less is moved by whole
// octaves into Composer octaves 1-3, otherwise only the notes outside are moved; more than 50
// notes and rests are all written with a warning; a tempo tag after the start is named in a
// warning (the Composer has one tempo, one of the Smart Messaging tempos: another becomes the
// nearest, with a warning); a name's line breaks and control characters are written
// as blanks, with a warning.
MelodyExport WriteComposer(const melody::Score& score);

}  // namespace belltower::interchange
