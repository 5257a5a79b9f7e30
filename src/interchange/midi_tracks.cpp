// SPDX-License-Identifier: GPL-3.0-or-later
#include "interchange/midi_tracks.h"

#include "interchange/midi.h"

namespace belltower::interchange {

formats::Result<MidiTrackList> ListMidiTracks(formats::ByteView /*bytes*/) {
    return MidiTrackList{};
}

formats::Result<MelodyImport> ReadMidi(formats::ByteView bytes, const MidiReadOptions& /*options*/) {
    return ReadMidi(bytes);
}

std::string MidiNoteName(int note) {
    return melody::NoteLabel(static_cast<std::uint8_t>(note + 55));
}

std::string GeneralMidiName(int /*program*/) {
    return {};
}

}  // namespace belltower::interchange
