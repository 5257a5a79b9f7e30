// SPDX-License-Identifier: GPL-3.0-or-later
#include "interchange/midi_tracks.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <functional>
#include <queue>
#include <string_view>

#include "interchange/midi.h"
#include "interchange/midi_song.h"

namespace belltower::interchange {
namespace {

constexpr int kMidiOffset = 55;  // MIDI note = tone code - 55
constexpr int kDrumChannel = 9;  // channel 10, counted from 0
// Where a tune is sung: g3 to c6, the notes a voice or a lead instrument mostly plays.
constexpr int kSingingLow = 55;
constexpr int kSingingHigh = 84;

// The General MIDI Level 1 instrument names, by program number.
constexpr auto kInstruments = std::to_array<std::string_view>({"Acoustic Grand Piano",
                                                               "Bright Acoustic Piano",
                                                               "Electric Grand Piano",
                                                               "Honky-tonk Piano",
                                                               "Electric Piano 1",
                                                               "Electric Piano 2",
                                                               "Harpsichord",
                                                               "Clavi",
                                                               "Celesta",
                                                               "Glockenspiel",
                                                               "Music Box",
                                                               "Vibraphone",
                                                               "Marimba",
                                                               "Xylophone",
                                                               "Tubular Bells",
                                                               "Dulcimer",
                                                               "Drawbar Organ",
                                                               "Percussive Organ",
                                                               "Rock Organ",
                                                               "Church Organ",
                                                               "Reed Organ",
                                                               "Accordion",
                                                               "Harmonica",
                                                               "Tango Accordion",
                                                               "Acoustic Guitar (nylon)",
                                                               "Acoustic Guitar (steel)",
                                                               "Electric Guitar (jazz)",
                                                               "Electric Guitar (clean)",
                                                               "Electric Guitar (muted)",
                                                               "Overdriven Guitar",
                                                               "Distortion Guitar",
                                                               "Guitar harmonics",
                                                               "Acoustic Bass",
                                                               "Electric Bass (finger)",
                                                               "Electric Bass (pick)",
                                                               "Fretless Bass",
                                                               "Slap Bass 1",
                                                               "Slap Bass 2",
                                                               "Synth Bass 1",
                                                               "Synth Bass 2",
                                                               "Violin",
                                                               "Viola",
                                                               "Cello",
                                                               "Contrabass",
                                                               "Tremolo Strings",
                                                               "Pizzicato Strings",
                                                               "Orchestral Harp",
                                                               "Timpani",
                                                               "String Ensemble 1",
                                                               "String Ensemble 2",
                                                               "SynthStrings 1",
                                                               "SynthStrings 2",
                                                               "Choir Aahs",
                                                               "Voice Oohs",
                                                               "Synth Voice",
                                                               "Orchestra Hit",
                                                               "Trumpet",
                                                               "Trombone",
                                                               "Tuba",
                                                               "Muted Trumpet",
                                                               "French Horn",
                                                               "Brass Section",
                                                               "SynthBrass 1",
                                                               "SynthBrass 2",
                                                               "Soprano Sax",
                                                               "Alto Sax",
                                                               "Tenor Sax",
                                                               "Baritone Sax",
                                                               "Oboe",
                                                               "English Horn",
                                                               "Bassoon",
                                                               "Clarinet",
                                                               "Piccolo",
                                                               "Flute",
                                                               "Recorder",
                                                               "Pan Flute",
                                                               "Blown Bottle",
                                                               "Shakuhachi",
                                                               "Whistle",
                                                               "Ocarina",
                                                               "Lead 1 (square)",
                                                               "Lead 2 (sawtooth)",
                                                               "Lead 3 (calliope)",
                                                               "Lead 4 (chiff)",
                                                               "Lead 5 (charang)",
                                                               "Lead 6 (voice)",
                                                               "Lead 7 (fifths)",
                                                               "Lead 8 (bass + lead)",
                                                               "Pad 1 (new age)",
                                                               "Pad 2 (warm)",
                                                               "Pad 3 (polysynth)",
                                                               "Pad 4 (choir)",
                                                               "Pad 5 (bowed)",
                                                               "Pad 6 (metallic)",
                                                               "Pad 7 (halo)",
                                                               "Pad 8 (sweep)",
                                                               "FX 1 (rain)",
                                                               "FX 2 (soundtrack)",
                                                               "FX 3 (crystal)",
                                                               "FX 4 (atmosphere)",
                                                               "FX 5 (brightness)",
                                                               "FX 6 (goblins)",
                                                               "FX 7 (echoes)",
                                                               "FX 8 (sci-fi)",
                                                               "Sitar",
                                                               "Banjo",
                                                               "Shamisen",
                                                               "Koto",
                                                               "Kalimba",
                                                               "Bag pipe",
                                                               "Fiddle",
                                                               "Shanai",
                                                               "Tinkle Bell",
                                                               "Agogo",
                                                               "Steel Drums",
                                                               "Woodblock",
                                                               "Taiko Drum",
                                                               "Melodic Tom",
                                                               "Synth Drum",
                                                               "Reverse Cymbal",
                                                               "Guitar Fret Noise",
                                                               "Breath Noise",
                                                               "Seashore",
                                                               "Bird Tweet",
                                                               "Telephone Ring",
                                                               "Helicopter",
                                                               "Applause",
                                                               "Gunshot"});

// Words in a track name that say it carries the tune.
constexpr auto kTuneWords = std::to_array<std::string_view>({"melod", "vocal", "voice", "lead", "vox", "sing", "tune"});

bool NamedAsTune(const std::string& name) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return std::any_of(kTuneWords.begin(), kTuneWords.end(),
                       [&](std::string_view word) { return lower.find(word) != std::string::npos; });
}

struct TrackFigures {
    MidiTrackSummary summary;
    int aloneStarts = 0;  // notes that start while no other note of the track sounds
    int singing = 0;      // notes in the singing range
    double keySum = 0;    // of every note, for the average pitch
};

// The most notes sounding at once, and how many start alone: a note ending where another
// starts does not sound with it. The notes of a track stand in the order they start.
void CountPolyphony(const MidiSongTrack& track, TrackFigures& figures) {
    std::priority_queue<std::uint64_t, std::vector<std::uint64_t>, std::greater<>> ends;  // of the sounding notes
    for (const MidiNoteEvent& note : track.notes) {
        if (note.off <= note.on) {
            continue;
        }
        while (!ends.empty() && ends.top() <= note.on) {
            ends.pop();
        }
        figures.aloneStarts += ends.empty() ? 1 : 0;
        ends.push(note.off);
        figures.summary.maxPolyphony = std::max(figures.summary.maxPolyphony, static_cast<int>(ends.size()));
    }
}

TrackFigures Summarise(const MidiSongTrack& track, int number) {
    TrackFigures figures;
    MidiTrackSummary& summary = figures.summary;
    summary.number = number;
    summary.name = track.name;
    summary.instrument = track.program >= 0 ? GeneralMidiName(track.program) : std::string();
    std::array<bool, 16> channels{};
    for (const MidiNoteEvent& note : track.notes) {
        channels[static_cast<std::size_t>(note.channel)] = true;
        summary.drums = summary.drums || note.channel == kDrumChannel;
        const int key = note.key;
        summary.low = summary.low < 0 ? key : std::min(summary.low, key);
        summary.high = std::max(summary.high, key);
        figures.singing += key >= kSingingLow && key <= kSingingHigh ? 1 : 0;
        figures.keySum += key;
    }
    for (std::size_t channel = 0; channel < channels.size(); ++channel) {
        if (channels[channel]) {
            summary.channels.push_back(static_cast<int>(channel) + 1);
        }
    }
    summary.notes = static_cast<int>(track.noteOns);
    CountPolyphony(track, figures);
    return figures;
}

// How tune-like a track is: its notes in the singing range, weighed by the share that start
// alone (twice, so chords count little) and by how high it lies on average (a bass line or a
// pianist's left hand counts a tenth), three times as much when its name says it is the tune.
// Drum tracks score nothing.
double TuneScore(const TrackFigures& figures) {
    const MidiTrackSummary& summary = figures.summary;
    if (summary.drums || summary.notes == 0) {
        return 0;
    }
    const double alone = static_cast<double>(figures.aloneStarts) / summary.notes;
    const double average = figures.keySum / summary.notes;
    const double height = std::clamp((average - kSingingLow + 7) / 24.0, 0.1, 1.0);  // 1 from c5 up
    return (figures.singing + 1.0) * alone * alone * height * (NamedAsTune(summary.name) ? 3.0 : 1.0);
}

}  // namespace

MidiTrackList SummariseTracks(const MidiSong& song) {
    MidiTrackList list;
    double best = 0;
    for (const MidiSongTrack& track : song.tracks) {
        const TrackFigures figures = Summarise(track, static_cast<int>(list.tracks.size()) + 1);
        if (const double score = TuneScore(figures); score > best) {
            best = score;
            list.defaultTrack = figures.summary.number;
        }
        list.tracks.push_back(figures.summary);
    }
    return list;
}

formats::Result<MidiTrackList> ListMidiTracks(formats::ByteView bytes) {
    auto song = ReadMidiSong(bytes);
    if (!song) {
        return song.error();
    }
    MidiTrackList list = SummariseTracks(*song);
    list.warnings = std::move(song->warnings);
    return list;
}

std::string MidiNoteName(int note) {
    const melody::NoteName name = melody::NameOfCode(static_cast<std::uint8_t>(note + kMidiOffset));
    return std::string(1, name.letter) + (name.sharp ? "#" : "") + std::to_string(name.octave);
}

std::string GeneralMidiName(int program) {
    return program >= 0 && program < static_cast<int>(kInstruments.size())
               ? std::string(kInstruments[static_cast<std::size_t>(program)])
               : std::string();
}

}  // namespace belltower::interchange
