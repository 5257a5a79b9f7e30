// SPDX-License-Identifier: GPL-3.0-or-later
// The melody edit area as plain values: what the RTX reader fills, the RTX writer writes and
// the tone encoder reads. Texts are byte strings (one char per byte, Latin-1), kept exactly as
// typed or read; numbers are read from them only when a melody is encoded.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace belltower::melody {

struct MelodyFields {
    std::string name;            // Text1, melody name
    std::string duration = "8";  // Text2, default note fraction
    std::string octave = "6";    // Text3, default octave
    std::string tempo = "140";   // Text4, beats per minute
    std::string notes;           // Text5, the notes
    std::string id;              // Text6, four-character ID
    std::string delay = "1";     // Text7, trailing silence in duration units
    std::string index = "1";     // Text8, melody index
    std::string staccato = "0";  // Text9, staccato length
    bool playTwice = false;      // Check1, "Suggest playing twice"
    bool forceOnePlay = false;   // Check2, "For&ce ONE play"
    bool noSmallPauses = false;  // Check3, "Disable small pauses between identical tones"

    friend bool operator==(const MelodyFields&, const MelodyFields&) = default;
};

// A selection in the notes text: start counted from 0, length in characters.
struct NotesSelection {
    std::size_t start = 0;
    std::size_t length = 0;
};

}  // namespace belltower::melody
