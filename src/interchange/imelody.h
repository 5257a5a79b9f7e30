// SPDX-License-Identifier: GPL-3.0-or-later
// iMelody 1.2 (CLASS1.0): the text ringtone of other phone makers and of EMS messages.
//
// A file is a block of "FIELD:value" lines; field names are case-insensitive, lines end in
// CR LF (LF alone is read too), and a line break followed by one blank or tab is a fold that
// joins two lines. Belltower reads and writes:
//   BEGIN:IMELODY      first line of the object
//   VERSION:1.2
//   FORMAT:CLASS1.0
//   NAME:<UTF-8>       the melody name
//   BEAT:<25..900>     quarter notes per minute (120 when missing)
//   STYLE:S0|S1|S2     natural, continuous, staccato (read only)
//   VOLUME:V0..V15     read only, dropped
//   MELODY:<tokens>    see below
//   END:IMELODY        last line of the object
//
// Melody tokens, written without separators:
//   [*0..*8][#|&]c..b<d>[.|:|;]   a note: octave mark, sharp or flat, letter, duration digit
//                                 d (0 whole .. 5 thirty-second), dotted, double-dotted or
//                                 two-thirds
//   r<d>[.|:|;]                   a rest
//   vibeon vibeoff                the vibration motor
//   ledon ledoff backon backoff V+ V- V<n>   light and volume commands (not kept)
//   ( ... @<n>)                   a block played n times in all (0: for ever)
//
// An octave mark applies to its own note only; a note without one is in octave *4, and *4 a
// is 880 Hz, the a of ringtone octave 5: iMelody octave n is ringtone octave n + 1. Some readers
// carry a mark on to the notes after it, so the writer marks every note outside *4 and the first
// *4 note after such a note: both kinds of reader then hear the same melody.
#pragma once

#include <string>
#include <vector>

#include "formats/bytes.h"
#include "formats/result.h"
#include "interchange/format_table.h"
#include "interchange/score_notes.h"
#include "melody/score.h"

namespace belltower::interchange {

// The file's first line that is not blank is BEGIN:IMELODY (any case).
bool LooksLikeImelody(formats::ByteView bytes);

// Reads the first iMelody object of a file. Repeat blocks are written out (a block of @0 plays
// once), double-dotted notes take the nearest length ringtone text writes, light and volume
// commands and styles other than staccato are dropped, and a damaged token is skipped; each
// with a warning. A melody that would play past what one record's tone data can hold is cut,
// with a warning.
// Failures: BadInput when there is no BEGIN:IMELODY line or no MELODY line.
formats::Result<MelodyImport> ReadImelody(formats::ByteView bytes);

// Writes the score as one iMelody object with CR LF line ends, no line longer than 75 octets.
// One BEAT (the starting tempo, kept within 25..900); a later tempo tag changes the written
// lengths where iMelody can hold the result exactly and is named in a warning otherwise.
// Lengths iMelody cannot hold are rounded, notes outside octaves *0..*8 moved by whole octaves,
// and a name's line breaks and control characters written as blanks, with warnings.
MelodyExport WriteImelody(const melody::Score& score);

}  // namespace belltower::interchange
