// SPDX-License-Identifier: GPL-3.0-or-later
// A Standard MIDI File read into its tracks' notes, the shared first step of the MIDI import
// and of the track listing (see midi.h for the file layout).
//
// Files from the wild are often slightly broken. What can be read is kept, and a warning says
// what was not: a track that ends inside an event, or whose chunk runs past the end of the file,
// is read up to there; running status with no status before it ends the track; note-offs with
// no note-on are ignored. Only a file whose header cannot be read, or that holds no track, is
// refused. Every loop is bounded by the bytes of the file.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "formats/bytes.h"
#include "formats/result.h"
#include "interchange/midi_tracks.h"

namespace belltower::interchange {

// One note of a track, in the ticks of the file.
struct MidiNoteEvent {
    std::uint64_t on = 0;
    std::uint64_t off = 0;
    std::int16_t key = 0;      // MIDI note number, 0..127
    std::int16_t channel = 0;  // 0..15; 9 is the drums
    std::uint32_t order = 0;   // place among the notes of its track, to tell equal keys apart
};

struct MidiSongTrack {
    std::string name;                  // the first track name meta event
    int program = -1;                  // the first program change, -1 when none
    std::vector<MidiNoteEvent> notes;  // empty when the read left them out
    std::size_t noteOns = 0;           // with a velocity above 0, kept or not
    std::uint64_t end = 0;             // the tick of its last event
};

struct MidiSong {
    std::uint32_t format = 0;
    std::uint32_t division = 0;
    std::vector<MidiSongTrack> tracks;              // every MTrk chunk, in file order
    std::map<std::uint64_t, std::uint32_t> tempos;  // tick -> microseconds per quarter, all tracks
    std::uint64_t end = 0;                          // the last tick of all tracks
    std::vector<std::string> warnings;              // what was damaged and left out

    // Ticks per quarter note at the first tempo (SMPTE timing counts ticks as seconds).
    double TicksPerQuarter() const;
    // The beats per minute of the first tempo; 120 when the file gives none.
    double FirstBpm() const;
};

// The tracks of a file; with onlyTrack above 0 the notes of the other tracks are read but not
// kept. BadInput for what is not a MIDI file, has an unknown format or a division of 0;
// DamagedData for a header cut short or a file with no track.
formats::Result<MidiSong> ReadMidiSong(formats::ByteView bytes, int onlyTrack = 0);

// The listing of the tracks read, with the default pick (see ListMidiTracks); no warnings.
MidiTrackList SummariseTracks(const MidiSong& song);

}  // namespace belltower::interchange
