// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/hostile_inputs.h"

#include <vector>

#include "formats/tone_commands.h"
#include "support/midi_builder.h"

namespace belltower::testing {
namespace {

using formats::Bytes;
namespace tone = formats::tone;

// Note on at tick 0, off a tick later, then 0x0FFFFFFF ticks (varlen FF FF FF 7F) to the end.
const Bytes kNoteThenGap = {0x00, 0x90, 60, 64, 0x01, 0x80, 60, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0x2F, 0x00};

}  // namespace

Bytes HugeGapMidi() {
    return MidiFile(0, 1, {kNoteThenGap});
}

Bytes TinyTempoMidi() {
    Bytes track = {0x00, 0xFF, 0x51, 0x03, 0x00, 0x00, 0x01};  // tempo: 1 microsecond a quarter
    formats::Append(track, kNoteThenGap);
    return MidiFile(0, 0xE728, {track});  // 25 frames a second, 40 ticks a frame
}

Bytes ManyTrackMidi(int tracks) {
    std::vector<Bytes> chunks;
    for (int t = 0; t < tracks; ++t) {
        // Track t plays its quarter note after t quarters (96 ticks each, a varlen delta).
        const auto delay = static_cast<std::uint32_t>(t) * 96;
        Bytes track = {static_cast<std::uint8_t>(0x80 | (delay >> 14)), static_cast<std::uint8_t>(0x80 | (delay >> 7)),
                       static_cast<std::uint8_t>(delay & 0x7F)};
        const auto key = static_cast<std::uint8_t>(60 + t % 12);
        formats::Append(track, Bytes{0x90, key, 64, 0x60, 0x80, key, 0, 0x00, 0xFF, 0x2F, 0x00});
        chunks.push_back(track);
    }
    return MidiFile(1, 96, chunks);
}

Bytes NamedMidi(const std::string& name) {
    Bytes track = {0x00, 0xFF, 0x03, static_cast<std::uint8_t>(name.size())};
    formats::Append(track, formats::ToBytes(name));
    formats::Append(track, Bytes{0x00, 0x90, 60, 64, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00});
    return MidiFile(0, 96, {track});
}

Bytes MultiplyingRepeats() {
    return {tone::kRepeatStart, 0xFF, tone::kConcertA, 0x00, tone::kRepeatEnd, tone::kRepeatEnd, tone::kRepeatEnd};
}

Bytes ZeroLengthRepeats(int count) {
    Bytes data;
    for (int i = 0; i < count; ++i) {
        formats::Append(data, Bytes{tone::kRepeatStart, 0xFF, tone::kConcertA, 0x00, tone::kRepeatEnd});
    }
    return data;
}

Bytes TiedNote(int pieces) {
    Bytes data(tone::kOpening.begin(), tone::kOpening.end());
    for (int i = 0; i < pieces; ++i) {
        formats::Append(data, Bytes{tone::kConcertA, 0xFF});
    }
    formats::Append(data, Bytes{tone::kVibration, tone::kVibrationOff, tone::kEndCode, tone::kEndParameter});
    return data;
}

std::string TwelveMinuteRingtone() {
    return "Long:d=1,o=5,b=25:" + Repeated("c,d,", 37) + "c";
}

std::string Repeated(std::string_view text, std::size_t times) {
    std::string repeated;
    while (times-- > 0) {
        repeated += text;
    }
    return repeated;
}

}  // namespace belltower::testing
