// SPDX-License-Identifier: GPL-3.0-or-later
// Small inputs that once made the readers run away or lose notes without a word: gaps and tempos far beyond
// any melody, repeats that multiply, melodies past the preview's ten minutes, names that break ringtone text.
// Built here rather than stored, for the tests and the fuzz seed corpus alike.
#pragma once

#include <string>
#include <string_view>

#include "formats/bytes.h"

namespace belltower::testing {

// MIDI, division 1: one note, then a gap of 0x0FFFFFFF ticks before the end of the track (37 bytes).
formats::Bytes HugeGapMidi();
// MIDI with SMPTE timing and a tempo of 1 microsecond a quarter: one note and the same gap.
formats::Bytes TinyTempoMidi();
// MIDI of `tracks` tracks of one note each, one after another (format 1; at most 2^14 tracks).
formats::Bytes ManyTrackMidi(int tracks);
// MIDI of one note under a track name.
formats::Bytes NamedMidi(const std::string& name);

// Tone data: a repeat start (255 plays), a zero-length note and three repeat ends.
formats::Bytes MultiplyingRepeats();
// Tone data: `count` repeats of 255 plays of a zero-length note, one after another.
formats::Bytes ZeroLengthRepeats(int count);
// Tone data: the opening, one note tied over `pieces` commands of 255 units, the closing
// (28,800 pieces play for 17 hours).
formats::Bytes TiedNote(int pieces);
// Ringtone text of 75 whole notes at 25 beats a minute: about 12 minutes.
std::string TwelveMinuteRingtone();
// `text`, `times` over: the long lines and files the tests build.
std::string Repeated(std::string_view text, std::size_t times);

}  // namespace belltower::testing
