// SPDX-License-Identifier: GPL-3.0-or-later
// A song-sized MIDI file to the phone: a 1 MB file of format 1 with 16 tracks (a tune, chords,
// a bass line, drums and their like) read into its tracks, listed with the default pick, and
// one track read as a melody with every option of a MIDI import at work.
#include <benchmark/benchmark.h>

#include <vector>

#include "interchange/midi.h"
#include "interchange/midi_tracks.h"
#include "support/midi_builder.h"

namespace {

using belltower::formats::Bytes;
using belltower::interchange::MidiReadOptions;
using belltower::testing::BuiltNote;

constexpr std::uint32_t kQuarter = 96;

// Track t of the song: 16 kinds of part, each on a channel of its own (10 for the drums), chords
// in every fourth track; notes until the track holds about 64 KB.
Bytes Part(int t) {
    std::vector<BuiltNote> notes;
    const int channel = t == 9 ? 10 : t % 16 + 1;
    const int voices = t % 4 == 1 ? 3 : 1;
    for (std::uint32_t step = 0; notes.size() < 8000; ++step) {
        const std::uint32_t on = step * kQuarter / 2;
        for (int v = 0; v < voices; ++v) {
            const int key = 36 + (t * 5 + static_cast<int>(step % 12) * 2 + v * 4) % 60;
            notes.push_back({on, on + kQuarter / 2 - 4, key, channel});
        }
    }
    return belltower::testing::MidiTrack(notes, t == 3 ? "Melody" : "Part " + std::to_string(t), t * 7 % 128,
                                         t == 0 ? 132 : 0);
}

const Bytes& Song() {
    static const Bytes song = [] {
        std::vector<Bytes> tracks;
        for (int t = 0; t < 16; ++t) {
            tracks.push_back(Part(t));
        }
        return belltower::testing::MidiFile(1, kQuarter, tracks);
    }();
    return song;
}

void ListTracks(benchmark::State& state) {
    const Bytes& song = Song();  // built before the clock starts
    for (auto _ : state) {
        benchmark::DoNotOptimize(belltower::interchange::ListMidiTracks(song));
    }
    state.counters["fileBytes"] = static_cast<double>(Song().size());
}

void ReadDefaultTrack(benchmark::State& state) {
    const Bytes& song = Song();
    for (auto _ : state) {
        benchmark::DoNotOptimize(belltower::interchange::ReadMidi(song));
    }
    state.counters["fileBytes"] = static_cast<double>(Song().size());
}

// What the window's track dialog does: the listing, then the chosen track fitted.
void ListThenFitTrack(benchmark::State& state) {
    const MidiReadOptions options{.track = 6,
                                  .voice = belltower::interchange::VoiceRule::First,
                                  .hardware = belltower::melody::Hardware::LogoManager,
                                  .maxSeconds = 300};
    const Bytes& song = Song();
    for (auto _ : state) {
        benchmark::DoNotOptimize(belltower::interchange::ListMidiTracks(song));
        benchmark::DoNotOptimize(belltower::interchange::ReadMidi(song, options));
    }
    state.counters["fileBytes"] = static_cast<double>(Song().size());
}

}  // namespace

BENCHMARK(ListTracks)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadDefaultTrack)->Unit(benchmark::kMillisecond);
BENCHMARK(ListThenFitTrack)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
