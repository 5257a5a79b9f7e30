// SPDX-License-Identifier: GPL-3.0-or-later
// "Will it fit?": the figures that say whether a melody fits the phone before it is sent or
// flashed. A melody that plays fine in the preview can still be out of the phone's range, too
// long for one Smart Messaging SMS, or more than the phone's own Composer can type in.
//
//   figure          what it counts
//   notes           sounding notes as the phone plays them: pauses do not count, and a long
//                   note stored as several 125-unit pieces counts once
//   seconds         the whole melody once through, trailing delay included
//   out of range    the notes each hardware emulation does not sound (see tone_commands.h)
//   tone data       the bytes of tone data inside the melody record
//   SMS             the .ott file's bytes: one SMS carries 133 bytes of ringtone data, a
//                   concatenated SMS 128 bytes a part, and the phones join at most 3 parts
//   Composer        at most 50 notes and rests, every note within three consecutive octaves
//                   (c to b), lengths 1/1 to 1/32, plain or dotted
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "formats/bytes.h"
#include "formats/result.h"
#include "melody/melody_fields.h"
#include "melody/tone_encoder.h"

namespace belltower::interchange {

inline constexpr std::size_t kSmsBytes = 133;
inline constexpr std::size_t kConcatenatedSmsBytes = 128;
inline constexpr std::size_t kMaxSmsParts = 3;

struct SmsFit {
    std::optional<std::size_t> bytes;  // none when the .ott writer refuses the melody
    std::optional<std::size_t> parts;  // none when no SMS of up to 3 parts holds it
};

struct ComposerFit {
    bool fits = true;
    std::vector<std::string> problems;  // one sentence each
};

struct MelodyFit {
    std::size_t notes = 0;
    double seconds = 0;
    std::vector<std::string> outOfRangePhone;        // note names ("g4"), each once, in playing order
    std::vector<std::string> outOfRangeLogoManager;  // the same for the flashing tool's preview
    std::size_t toneDataBytes = 0;
    std::size_t recordBytes = 0;  // the whole melody record (ASCII name for ringtone text)
    SmsFit sms;
    ComposerFit composer;
    std::vector<std::string> smsProblems;  // why it takes no SMS, one sentence
};

// The figures of the edit fields, from their encoding (which must have succeeded).
MelodyFit FitEncoded(const melody::MelodyFields& fields, const melody::EncodeResult& encoded);

// The figures of the edit fields. The encoder's error when the fields do not encode.
formats::Result<MelodyFit> FitFields(const melody::MelodyFields& fields);

// The figures of a melody record (an RE file) or of bare tone data, read as the phone plays it;
// the Smart Messaging and Composer figures are those of its decoded text. Never fails: damaged
// data gives the figures of what the tone decoder reads from it.
MelodyFit FitRecord(formats::ByteView recordOrToneData);

// Every problem, one sentence each: notes out of range, no SMS, the Composer's problems.
std::vector<std::string> FitProblems(const MelodyFit& fit);

// The figures as one line of text, as the window shows them under the piano roll:
// "41 notes, 12.3 s; tone data 96 bytes; .ott 80 bytes, 1 SMS; Composer: fits; phone: all notes".
std::string FitSummary(const MelodyFit& fit);

}  // namespace belltower::interchange
