// SPDX-License-Identifier: GPL-3.0-or-later
// The tone decoder: a melody record, or bare tone data, turned back into the melody edit fields
// with a notes text, the reverse of the tone encoder (see tone_encoder.h for the commands and
// the note language).
//
// Tone data the encoder wrote is decoded exactly: encoding the decoded fields again, in the
// record's own text format, gives the same bytes, whatever the staccato, the delay and the three
// play options were. The text is written to be read: one default duration, octave and tempo,
// chosen so that most notes need no prefix and no tempo tag (of the tempos that give the same
// bytes, such as 180 with eighths and 90 with sixteenths, a usual ringtone tempo at which the
// melody moves mostly in eighths); plain tokens ("8c#6", "4p.");
// a tempo tag only before a note no fraction of the current tempo gives; no tags for what the
// encoder adds by itself (the opening, the small pauses between equal notes, the closing
// markers); a note the encoder cut into 125-unit pieces is one token again.
//
// Any other tone data (repeats, unknown commands, a missing opening, equal notes without the
// small pause) becomes the text that plays closest to it: repeats written out, ties joined,
// skipped commands dropped, each such change listed with its byte offset.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "formats/bytes.h"
#include "formats/names.h"
#include "melody/melody_fields.h"
#include "melody/score.h"
#include "melody/timeline.h"

namespace belltower::melody {

struct DecodedMelody {
    // The melody as read, and the same as edit fields (WriteFields).
    Score score;
    MelodyFields fields;
    // What the text could not keep, each with the byte offset in the tone data where it stands.
    std::vector<ToneNotice> losses;
    // The melody as timed events, each with the tempo the text writes it at.
    Timeline timeline;
    // Encoding `score` again gives the input's bytes (the whole record, or the bare tone data).
    bool exact = false;
    // The input was a melody record (its header gave name, ID and index) in this text format.
    bool record = false;
    formats::TextFormat format = formats::TextFormat::Ascii;
};

// A melody record when the length field at bytes 4..7 equals the size and its name can be
// read; anything else is read as bare tone data. Never fails: damaged input gives an empty
// melody and a loss that says why.
DecodedMelody DecodeMelody(formats::ByteView recordOrToneData);

// Bare tone data only.
DecodedMelody DecodeToneData(formats::ByteView toneData);

}  // namespace belltower::melody
