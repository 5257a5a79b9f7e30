// SPDX-License-Identifier: GPL-3.0-or-later
// RTX / ERT ringtone text: one line "name:settings:notes".
//
//   name      from the start of the line to the first ":"
//   settings  between the first and second ":", items "key=value" separated by ","
//             keys (any case, not trimmed): d duration, o octave, b tempo, f ID, i index,
//             c force one play (ticked when its leading number is > 0, cleared at 0, kept when < 0),
//             s staccato, @ delay; the value is everything after the item's first "="
//   notes     everything after the second ":" to the end of the line, colons included
//
// Only the first line counts. It ends at a carriage return, a CR LF pair or a line feed
// (files written on Linux end lines with LF alone).
#pragma once

#include <string>
#include <string_view>

#include "formats/result.h"
#include "melody/melody_fields.h"

namespace belltower::melody {

// The first line of a file's bytes.
std::string_view FirstLine(std::string_view fileText);

// Copies what the first line of fileText gives into fields. Fields the line has no value for
// keep their contents; nothing is checked or converted. A line without ":" leaves the name and
// settings alone and becomes the notes; a line with one ":" sets the name and puts the whole
// line into the notes. playTwice and noSmallPauses are never touched.
void ReadRtxText(std::string_view fileText, MelodyFields& fields);

// Ringtone text is plain text whose first line has the "name:settings:notes" shape or at least
// notes. BadInput saying what the bytes look like ("a WAV file", "a PNG image", "binary data")
// when they hold a zero byte, or their first line holds control bytes or has no ":" and no
// letter at all: read anyway, such a file becomes an empty, nameless melody. An empty file
// passes (it encodes to the empty melody, with its own warning).
formats::Result<void> CheckRingtoneText(std::string_view fileText);

// The line the fields save as, every key present in a fixed order, ended by CR LF:
// name:d=..,o=..,b=..,f=..,i=..,c=0|1,s=..,@=..:notes
// A name that would break the line (see NameFitsRtxText) is written with each ":" as "-" and
// each line break or control character as a blank; the fields themselves are not changed.
std::string WriteRtxText(const MelodyFields& fields);

// Whether a name goes into ringtone text as it is: no ":" (which would end the name early), no
// line break and no control character other than the tab. Callers that write a name which
// does not fit warn with kRtxNameChangedText.
bool NameFitsRtxText(std::string_view name);
inline constexpr std::string_view kRtxNameChangedText =
    "The name holds characters ringtone text cannot hold; \":\" is written as \"-\" and line breaks and control "
    "characters as blanks.";

}  // namespace belltower::melody
