// SPDX-License-Identifier: GPL-3.0-or-later
// Smart Messaging ringing tones (.ott): the bit-packed format in which Nokia phones send and
// receive ringtones over the air, one melody per file.
//
// The file is a stream of bits, most significant bit of each byte first; fields are not
// aligned to bytes unless the table says so. Sizes are in bits.
//   size  field
//   8     command-length: the number of command parts that follow (2 for a plain ringtone)
//   7     command part 0100101: ringing-tone programming, then filler zero bits up to a byte
//   7     command part 0100010: Unicode (optional; title characters become 16 bits), filler
//   7     command part 0011101: sound, followed by the song:
//   3       song type: 001 basic (with a title), 010 temporary (no title); 011 MIDI,
//           100 digitized and 101 polyphonic songs are not ringtone bits and are refused
//   4       title length in characters (basic songs only; so at most 15)
//   8 each  title characters, ISO 8859-1 (16 each, UCS-2, after the Unicode part)
//   8       song sequence length: the number of patterns
//           each pattern:
//   3         pattern header 000
//   2         pattern id: 00 A, 01 B, 10 C, 11 D
//   4         loop value: how many more times the pattern plays; 1111 without end
//   8         instruction count; 0 plays the pattern defined earlier under the same id
//             each instruction, a 3-bit id and its values:
//   3+4+3+2     001 note: value (0 pause, 1-12 c c# d d# e f f# g g# a a# b), duration
//               (0 1/1, 1 1/2, 2 1/4, 3 1/8, 4 1/16, 5 1/32), specifier (0 plain,
//               1 dotted x3/2, 2 double-dotted x7/4, 3 two thirds: a triplet)
//   3+2         010 scale: 0 has a at 440 Hz, 1 at 880 Hz, 2 at 1760 Hz, 3 at 3520 Hz
//   3+2         011 style: 0 natural (short gaps between notes), 1 continuous, 2 staccato
//   3+5         100 tempo: an index into kOttTempos, beats (quarter notes) per minute
//   3+4         101 volume: 0 silent to 15 loudest
//           filler zero bits up to a byte
//   8     command end: 00000000
// Before any instruction says otherwise a song plays in scale 1 (a at 880 Hz), at 63 beats per
// minute, in the natural style.
//
// Scales and octaves: in ringtone text, a in octave 4 is the code 0x7C, which the phone sounds
// at about 441.7 Hz: the a of the format's 440 Hz scale. So octave 4 is scale 0 and octaves 4 to
// 7 are the format's four scales, as other phone tools read RTTTL octaves 4 to 7. A note outside
// them is moved by whole octaves into the nearest scale.
//
// What the writer writes: one pattern A (more, A B C D A ..., when a melody passes the 255
// instructions a pattern holds), looping once more when "suggest playing twice" is set; in
// front of the first note or pause the scale of the first note (scale 1 when there is none), the
// natural style and the tempo; then the notes and pauses, a scale instruction before each note
// whose scale differs from the last one, and a tempo instruction where a tempo tag changes the
// tempo. Lengths are those ringtone text can write too: no double dots, no whole-note triplets.
// The reader takes any pattern layout, and an import written out again gives the same bytes
// for every file laid out this way.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "formats/bytes.h"
#include "formats/result.h"
#include "interchange/format_table.h"
#include "melody/melody_fields.h"

namespace belltower::interchange {

// The tempos a tempo instruction can give, in beats per minute.
inline constexpr std::array<int, 32> kOttTempos = {25,  28,  31,  35,  40,  45,  50,  56,  63,  70,  80,
                                                   90,  100, 112, 125, 140, 160, 180, 200, 225, 250, 285,
                                                   320, 355, 400, 450, 500, 565, 635, 715, 800, 900};

// The longest title the 4-bit title length allows.
inline constexpr std::size_t kOttMaxTitle = 15;

// The warnings say what the edit fields cannot hold, one sentence each.
using OttImport = MelodyImport;

// Reads an .ott file into the edit fields: the title as the name, the most used note length
// and octave as the default duration and octave, the tempo at the first note as the tempo, and
// the notes as ringtone text ("8c#6", "4p.", "t180" where the tempo changes). Repeated patterns
// are written out in full; a song of one pattern that loops once sets "suggest playing twice".
// Warnings name what the text cannot hold and how it was rounded: double-dotted notes and
// whole-note triplets, volume, styles other than natural, loops of the whole song, unknown
// title characters, a pattern played before it was defined (read as empty).
// Failures:
//   BadInput     the bytes do not begin as a ringing-tone programming command, or the song is
//                of a type other than basic or temporary (MIDI, digitized, polyphonic)
//   DamagedData  the file ends before its command end, or holds an unknown command part,
//                instruction, note value or duration
formats::Result<OttImport> ReadOtt(formats::ByteView bytes);

// The warnings say what was rounded or dropped, one sentence each.
using OttExport = MelodyExport;

// Writes the melody of the edit fields as an .ott file (see the layout above). Notes are read as
// the tone encoder reads them. Rounded, with a warning naming the token or field: notes outside
// the four scales (moved by octaves), lengths the format has no value for (the nearest one),
// tempos between the table's values (the nearest one), names of more than 15 characters (cut).
// Dropped, with a warning: vibration tags, staccato, a delay of more than one unit, "force one
// play".
// Failures:
//   BadInput  a note or pause with a duration or tempo of 0 or less
//   Limit     more than 255 patterns of 255 instructions
formats::Result<OttExport> WriteOtt(const melody::MelodyFields& fields);

// True when the bytes begin as an .ott file does: a command count of 1 to 15, the ringing-tone
// programming command and then the sound or Unicode command. Ringtone text, RE files and MIDI
// files never begin so.
bool LooksLikeOtt(formats::ByteView bytes);

}  // namespace belltower::interchange
