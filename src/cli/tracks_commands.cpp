// SPDX-License-Identifier: GPL-3.0-or-later
// tracks: the tracks of a MIDI file with their figures, and the one a MIDI import reads by
// default, so --track can choose another.
#include <array>
#include <cstdio>
#include <memory>
#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/command_groups.h"
#include "cli/command_support.h"
#include "cli/melody_formats.h"
#include "cli/text_encoding.h"
#include "interchange/midi_tracks.h"

namespace belltower::cli {
namespace {

using interchange::MidiTrackList;
using interchange::MidiTrackSummary;

struct TracksOptions {
    std::string input;
    bool json = false;
};

std::string Range(const MidiTrackSummary& track) {
    return track.low < 0 ? "-" : interchange::MidiNoteName(track.low) + "-" + interchange::MidiNoteName(track.high);
}

void PrintJson(const MidiTrackList& list, std::ostream& out) {
    nlohmann::ordered_json tracks = nlohmann::ordered_json::array();
    for (const MidiTrackSummary& track : list.tracks) {
        const auto note = [](int number) {
            return number < 0 ? nlohmann::ordered_json() : nlohmann::ordered_json(interchange::MidiNoteName(number));
        };
        tracks.push_back({{"number", track.number},
                          {"name", Latin1ToUtf8(track.name)},
                          {"instrument", track.instrument},
                          {"channels", track.channels},
                          {"notes", track.notes},
                          {"low", note(track.low)},
                          {"high", note(track.high)},
                          {"maxPolyphony", track.maxPolyphony},
                          {"drums", track.drums}});
    }
    const nlohmann::ordered_json document = {{"tracks", tracks}, {"default", list.defaultTrack}};
    out << document.dump(2) << '\n';
}

// One line a track: number, channels, notes, range, the most notes at once, drums, instrument
// and name (last, as it may be of any length); the default pick marked with a star.
void PrintTable(const MidiTrackList& list, std::ostream& out) {
    out << "   #  channels  notes  range    poly  drums  instrument                name\n";
    for (const MidiTrackSummary& track : list.tracks) {
        std::string channels;
        for (const int channel : track.channels) {
            channels += (channels.empty() ? "" : ",") + std::to_string(channel);
        }
        std::array<char, 128> line{};
        std::snprintf(line.data(), line.size(), "%c%3d  %-8s  %5d  %-7s  %4d  %-5s  %-24s  ",
                      track.number == list.defaultTrack ? '*' : ' ', track.number, channels.c_str(), track.notes,
                      Range(track).c_str(), track.maxPolyphony, track.drums ? "yes" : "no", track.instrument.c_str());
        out << line.data() << PrintableUtf8(track.name) << '\n';
    }
}

ExitStatus Tracks(const TracksOptions& options, Console& console) {
    const auto file = console.ReadInput(options.input);
    if (!file) {
        return console.Refuse(file.error().message);
    }
    const auto list = interchange::ListMidiTracks(*file);
    if (!list) {
        return console.Refuse(InputName(options.input) + ": " + list.error().message);
    }
    WarnAll(list->warnings, console);
    if (options.json) {
        PrintJson(*list, console.Out());
    } else {
        PrintTable(*list, console.Out());
    }
    return console.FinishOut();
}

}  // namespace

void AddTracksCommands(CLI::App& app, CommandTable& table) {
    const auto [tracks, options] = table.AddCommandWith<TracksOptions>(
        app, "tracks", "List the tracks of a MIDI file with their figures; * marks the one an import reads.",
        R"(
  belltower-cli tracks song.mid
  belltower-cli tracks song.mid --json
  belltower-cli decode song.mid -o song.ert --track 3 --voice first)",
        Tracks);
    tracks->add_option("IN", options->input, "The MIDI file; - reads standard input.")->required();
    tracks->add_flag("--json", options->json, "Write a JSON document instead of a table.");
}

}  // namespace belltower::cli
