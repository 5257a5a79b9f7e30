// SPDX-License-Identifier: GPL-3.0-or-later
// Standard MIDI Files: a melody out as a one-track file, and a file of any common kind in as
// the melody edit fields.
//
// File layout (all numbers big-endian; "varlen" is 7 bits a byte, high bit set on all but the
// last byte, at most 4 bytes):
//   offset  size  field
//   0       4     "MThd"
//   4       4     header length, 6 (longer headers are allowed; the rest is skipped)
//   8       2     format: 0 one track, 1 several tracks played together, 2 independent patterns
//   10      2     number of tracks
//   12      2     division: ticks per quarter note, or (high bit set) SMPTE frames x ticks per frame
//   then per track:
//   0       4     "MTrk" (chunks of other types are skipped)
//   4       4     length of the events that follow
//   8       ...   events: varlen delta time in ticks, then
//                 8n kk vv  note off      9n kk vv  note on (velocity 0 is a note off)
//                 An/Bn/En  two data bytes   Cn/Dn  one data byte   (n = channel 0..15)
//                 F0/F7 varlen data         system exclusive
//                 FF tt varlen data         meta event: 51 tempo (3 bytes, microseconds per
//                                           quarter), 03 track name, 2F end of track
//                 a data byte where a status byte is due repeats the last channel status
//                 (running status)
//
// Pitch: the code 0x7C (a of octave 4, which the preview plays at 441.7 Hz) is MIDI note 69,
// one semitone per code, so the MIDI note is code - 55.
#pragma once

#include <string>
#include <vector>

#include "formats/bytes.h"
#include "formats/result.h"
#include "interchange/format_table.h"
#include "interchange/midi_tracks.h"
#include "melody/melody_fields.h"
#include "melody/score.h"
#include "melody/timeline.h"

namespace belltower::interchange {

// The warnings say what the import changed: overlapping notes, rounding, ...
using MidiImport = MelodyImport;

// The header chunk's length (bytes 4..7) is at least 6 and inside the file.
bool MidiHeaderFits(formats::ByteView bytes);

// A file starts with "MThd".
bool LooksLikeMidi(formats::ByteView bytes);

// The melody of a MIDI file of format 0, 1 or 2, read with the default options of
// midi_tracks.h: the track Belltower picks, moved by whole octaves into the phone's range.
// One voice: where notes overlap, the highest sounding note wins, and a warning says so.
// Notes and rests are rounded to the nearest sixty-fourth note and written as the longest
// note lengths that add up to them (dotted where that fits, tied otherwise), the largest
// change named; the tempo is the file's first tempo (120 when it has none), and later tempo
// changes become tempo tags. Drum notes (channel 10) are left out with a warning. The song's
// title (a first track with no notes) or the track's name becomes the melody name. Damaged
// data is read as far as it is meaningful, with a warning (see midi_song.h).
// Failures: DamagedData for a header cut short or a file with no track; BadInput for what is
// not a MIDI file or has a division of 0.
formats::Result<MidiImport> ReadMidi(formats::ByteView bytes);

// A format-0 file: a tempo event at tick 0 and wherever the tempo of the events changes (the
// tempo of an event is its beats per minute; 0 counts as 125), note on and off on channel 1 for
// each note, pauses as time between them, end of track. 480 ticks a quarter note. Notes
// beyond the MIDI range (codes below 0x37 or above 0xB6) are moved by whole octaves into it.
// `name` becomes the track name when not empty. Never fails today; Result for the callers.
formats::Result<formats::Bytes> WriteMidi(const melody::Timeline& timeline, const std::string& name = {});

// WriteMidi of a typed melody as the phone plays it: its timeline as the tone encoder writes it,
// each note at the tempo its text gives, the name as the track name. The encoder's error when the
// melody cannot be encoded.
formats::Result<formats::Bytes> WriteMidi(const melody::Score& score);

// The timeline WriteMidi of a typed melody writes: each event at the tempo of the text that
// wrote it, events no token wrote (the closing delay) at the tempo around them. The encoder's
// error when the melody does not encode.
formats::Result<melody::Timeline> PlayedTimeline(const melody::Score& score);

// WriteMidi of a melody record or bare tone data, read through the tone decoder (which gives
// the tempo of the notes); the record's name becomes the track name.
formats::Result<formats::Bytes> WriteMidiMelody(formats::ByteView recordOrToneData);

}  // namespace belltower::interchange
