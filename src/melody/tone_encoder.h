// SPDX-License-Identifier: GPL-3.0-or-later
// The tone encoder: the melody edit fields turned into one melody record (see formats/record.h)
// with the phone's tone data, and saved as an RE file.
//
// Tone data is a sequence of two-byte commands, code then parameter, nothing between them:
//   code   parameter   meaning
//   00     02          opening, first command
//   FC     09          opening, second command
//   0A     01          vibration on (third opening command, and the tag "v1")
//   0A     FE          vibration off (the tag "v0"); closing marker without "suggest playing twice"
//   0A     0A          closing marker with "suggest playing twice"
//   0A     0E          force one play
//   40     n           pause of n duration units (1/120 s each)
//   41..FF n           note: code = pitch in semitones, n its length in duration units
//   07     0B          end of the melody
// A stream is: the opening 00 02 FC 09 0A 01, the commands of the notes, the closing marker,
// 40 d for a delay d > 0, 0A 0E when force one play is set, and 07 0B.
//
// Note language (RTX, extended with tags). The notes text is cut into tokens at blanks and
// commas; every other character (line breaks and tabs too) belongs to its token, which is
// lower-cased. A token is one of:
//   t<number>   tempo tag: from here on the tempo is the number of beats per minute (when > 0)
//   v<number>   vibration tag: v0 (or a bare v) writes 0A FE, v1 writes 0A 01, others nothing
//   [dd]L[#][.][octave][#][.]   a note or pause:
//       dd      duration fraction, one or two digits 1-9 (4 = quarter, 16 = sixteenth; a 0 never
//               belongs to it); default: the duration field
//       L       c d e f g a b h (b and h are the same note), or p / - for a pause
//       # .     sharp and dotted (x1.5), each before or after the octave
//       octave  taken when its value is > 0; default: the octave field
// A token with any other letter, or with no letter at all, is ignored.
//
// Pitch: code = base + 1 + 12 x octave (+1 when sharp), base c 66, d 68, e 70, f 71, g 73, a 75,
// b 77, h 77; a pause has code 64 (0x40). So c in octave 5 is 0x7F.
// Length: 29000 / (fraction x tempo) units, x1.5 when dotted, rounded half to even, at least 1.
// A note repeating the previous code gets a small pause 40 02 in front (unless switched off) so
// that the phone sounds two notes. With staccato s > 0 a note longer than s sounds for s units
// and the rest of its length is a pause. A length above 125 units is written as pieces of 125
// and a last piece with the remainder.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "formats/bytes.h"
#include "formats/file_io.h"
#include "formats/names.h"
#include "formats/result.h"
#include "melody/melody_fields.h"
#include "melody/score.h"
#include "melody/timeline.h"

namespace belltower::melody {

// Real ringtones take a few hundred bytes of tone data, and a TONE chunk that holds a whole
// bank of them must fit the phone's flash. A melody whose tone data would pass this size
// (a note at a tempo of 0.0001 needs millions of 125-unit pieces) is refused rather than
// written out as megabytes no phone can take.
inline constexpr std::size_t kMaxToneDataBytes = 65535;

// The text shown when the notes text is empty; the record is made all the same.
inline constexpr const char* kNoDataText = "No data! This melody will not play.";

struct EncodeResult {
    // The tokens of the notes text in text order, lower-cased: what the window lists in List1.
    // Filled even when the encoding fails later.
    std::vector<std::string> tokens;
    // For each token that was encoded, where it stands in the whole notes text (a selection's
    // start included) and the tone data it wrote; up to the failing token when encoding fails.
    std::vector<TokenSpan> tokenSpans;
    // The tone data inside the record, empty when the encoding failed.
    formats::Bytes toneData;
    // The notes text (after the selection) is empty. The caller shows kNoDataText with an OK
    // button before anything else; the record is still produced, with no note commands.
    bool noData = false;
    // The complete melody record, or the first failure (BadInput or Limit) with a message that
    // says what is wrong and, where a token caused it, which token.
    formats::Result<formats::Bytes> record = formats::Bytes{};
};

// Encodes a typed melody as one melody record with its name in the given text format; the
// tokens and spans are its items' (an item built without text lists its written token).
// noData is set when the melody has no items. Failures as for EncodeMelody.
EncodeResult EncodeScore(const Score& score, formats::TextFormat form);

// Encodes the melody of the edit fields (read with ReadScore) as one melody record with its name
// in the given text format. With a selection of at least one character, only the selected part
// of the notes text is encoded (start counted from 0; a selection running past the end is cut there).
// Numbers are read from the fields with formats::TextValue and kept in double precision until
// a byte is written; every rounding is half to even.
// Failures (record holds the error):
//   BadInput  tempo or duration fraction 0 at a note or pause; a note code outside 0..255
//             (octave too high or too low); a negative length (negative tempo or duration);
//             a staccato length of 255.5 or more that cuts a note; a delay of 255.5 or more;
//             an index outside 0..2147483647; a name of more than 254 characters
//   Limit     tone data above kMaxToneDataBytes
EncodeResult EncodeMelody(const MelodyFields& fields, formats::TextFormat form,
                          std::optional<NotesSelection> selection);

// The melody of a successful encoding as the phone plays it, each event with its token and
// tempo (see AttachTokens); an empty timeline when the encoding failed.
Timeline EncodedTimeline(const EncodeResult& encoded);

// EncodeMelody for an RE file. In ASCII form a name beginning with a
// control character (byte 1..31) is refused (BadInput): whoever reads the file tells its
// format from bytes 16 and 17, and such a name makes an ASCII record look like a Unicode one.
EncodeResult EncodeReRecord(const MelodyFields& fields, formats::TextFormat form,
                            std::optional<NotesSelection> selection = std::nullopt);

struct EncodeFileResult {
    EncodeResult encoded;
    // Set when the record was complete but the file could not be written (Io error with the
    // operating system's description).
    std::optional<formats::Error> writeError;

    bool Saved() const { return encoded.record.has_value() && !writeError; }
    // The failure to report when !Saved(): the encoder's, else the write's.
    const formats::Error& Failure() const { return writeError ? *writeError : encoded.record.error(); }
};

// EncodeReRecord, then the record written to path as an RE file (an existing file is replaced).
// The file is written only when the record is complete, through a temporary file renamed over
// the target: after any failure an existing file is left byte for byte and no new file appears.
// `fault` makes the write fail part-way, for tests (see formats::WriteFileAtomic).
EncodeFileResult EncodeMelodyFile(const std::filesystem::path& path, const MelodyFields& fields,
                                  formats::TextFormat form, std::optional<NotesSelection> selection,
                                  const formats::WriteFault* fault = nullptr);

}  // namespace belltower::melody
