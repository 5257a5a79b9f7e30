// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/midi_builder.h"

#include <cmath>
#include <map>
#include <utility>

#include "interchange/midi_song.h"

namespace belltower::testing {
namespace {

using formats::Bytes;
using interchange::PutBig;
using interchange::PutVarLen;

std::uint8_t Byte(int value) {
    return static_cast<std::uint8_t>(value);
}

}  // namespace

Bytes MidiTrack(const std::vector<BuiltNote>& notes, const std::string& name, int program, double bpm) {
    Bytes track;
    if (!name.empty()) {
        track = {0x00, 0xFF, 0x03};
        PutVarLen(track, static_cast<std::uint32_t>(name.size()));
        formats::Append(track, formats::ToBytes(name));
    }
    if (bpm > 0) {
        formats::Append(track, Bytes{0x00, 0xFF, 0x51, 0x03});
        PutBig(track, static_cast<std::uint32_t>(std::lround(60'000'000.0 / bpm)), 3);
    }
    if (program >= 0 && !notes.empty()) {
        formats::Append(track, Bytes{0x00, Byte(0xC0 + notes.front().channel - 1), Byte(program)});
    }
    // The event bytes by (tick, 0 for an off before 1 for an on), equal keys in the order of the notes.
    std::multimap<std::pair<std::uint32_t, int>, Bytes> events;
    for (const BuiltNote& note : notes) {
        const std::uint8_t channel = Byte(note.channel - 1);
        events.emplace(std::pair(note.on, 1), Bytes{Byte(0x90 + channel), Byte(note.key), 100});
        events.emplace(std::pair(note.off, 0), Bytes{Byte(0x80 + channel), Byte(note.key), 0});
    }
    std::uint32_t now = 0;
    for (const auto& [at, bytes] : events) {
        PutVarLen(track, at.first - now);
        now = at.first;
        formats::Append(track, bytes);
    }
    formats::Append(track, Bytes{0x00, 0xFF, 0x2F, 0x00});
    return track;
}

Bytes MidiFile(std::uint16_t format, std::uint16_t division, const std::vector<Bytes>& tracks) {
    Bytes file = formats::ToBytes("MThd");
    PutBig(file, 6, 4);
    PutBig(file, format, 2);
    PutBig(file, static_cast<std::uint32_t>(tracks.size()), 2);
    PutBig(file, division, 2);
    for (const Bytes& track : tracks) {
        formats::Append(file, formats::ToBytes("MTrk"));
        PutBig(file, static_cast<std::uint32_t>(track.size()), 4);
        formats::Append(file, track);
    }
    return file;
}

}  // namespace belltower::testing
