// SPDX-License-Identifier: GPL-3.0-or-later
// The tracks of a Standard MIDI File, and reading one of them as a phone melody.
//
// A song file holds a tune among chords, a bass line and drums; a ringtone plays one note at a
// time in about three octaves. The listing gives each track's figures so the tune can be told
// apart, Belltower's default pick is the most tune-like track, and the options of a read say
// which track or channel becomes the melody, how notes that sound together become one line,
// and how the notes are moved into the range the phone sounds.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "formats/bytes.h"
#include "formats/result.h"
#include "interchange/format_table.h"
#include "melody/timeline.h"

namespace belltower::interchange {

// How notes that sound together become one line.
enum class VoiceRule {
    Highest,  // the highest sounding note; a lower note still held sounds again when it ends
    Lowest,   // the same with the lowest note
    First,    // a note plays until it ends; notes that start under it are dropped
};

struct MidiTrackSummary {
    int number = 0;             // from 1, in file order (every MTrk chunk)
    std::string name;           // track name meta event, may be empty
    std::string instrument;     // General MIDI name of its first program change, empty if none
    std::vector<int> channels;  // 1..16, of its note-ons
    int notes = 0;              // note-ons with velocity above 0
    int low = -1, high = -1;    // MIDI note numbers; -1 when it has no notes
    int maxPolyphony = 0;       // the most notes ever sounding at once
    bool drums = false;         // its notes are on channel 10
};

struct MidiTrackList {
    std::vector<MidiTrackSummary> tracks;
    int defaultTrack = 0;  // the number Belltower picks; 0 when no track has notes
    std::vector<std::string> warnings;
};

// Every track of the file with its figures, and the default pick: never a drum track; of the
// others the one mostly playing one note at a time, with many notes in a singing range, a name
// such as "Melody", "Vocal", "Lead" or "Voice" counting for it. A file of format 0 has one
// track (its channels listed). Damaged data is read as far as it is meaningful, with a warning;
// the failures are ReadMidi's for what is not a MIDI file at all.
formats::Result<MidiTrackList> ListMidiTracks(formats::ByteView bytes);

struct MidiReadOptions {
    int track = 0;    // 0: the default pick
    int channel = 0;  // 0: every channel; 1..16: only that one
    VoiceRule voice = VoiceRule::Highest;
    std::optional<int> transpose = std::nullopt;  // semitones; nullopt: auto (whole octaves)
    melody::Hardware hardware = melody::Hardware::Phone;
    int maxNotes = 0;       // 0: no limit
    double maxSeconds = 0;  // 0: no limit
};

// One track (or channel) of a MIDI file as a melody, see ReadMidi in midi.h for the rest.
// BadInput when the track or channel asked for does not exist or holds no notes.
formats::Result<MelodyImport> ReadMidi(formats::ByteView bytes, const MidiReadOptions& options);

// A MIDI note number's name as the listing writes it, with ringtone text's octaves: 60 is "c4",
// 80 is "g#5".
std::string MidiNoteName(int note);

// The General MIDI name of a program (0..127): 0 is "Acoustic Grand Piano".
std::string GeneralMidiName(int program);

}  // namespace belltower::interchange
