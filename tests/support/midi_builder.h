// SPDX-License-Identifier: GPL-3.0-or-later
// Standard MIDI Files built from a list of notes, as sequencers write them: a tempo and name
// track, instruments, chords, drums. For the tests and the benchmarks alike.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/bytes.h"

namespace belltower::testing {

// A note of a built track, in ticks.
struct BuiltNote {
    std::uint32_t on = 0;
    std::uint32_t off = 0;
    int key = 60;     // MIDI note number
    int channel = 1;  // 1..16; 10 is the drums
};

// The events of a track (without the chunk header): its name when not empty, a program change
// on the channel of its first note when program is 0 or more, a tempo when bpm is above 0,
// the notes (off before on at the same tick) and the end of the track.
formats::Bytes MidiTrack(const std::vector<BuiltNote>& notes, const std::string& name = {}, int program = -1,
                         double bpm = 0);

// A Standard MIDI File of the given tracks (their events without the chunk header).
formats::Bytes MidiFile(std::uint16_t format, std::uint16_t division, const std::vector<formats::Bytes>& tracks);

}  // namespace belltower::testing
