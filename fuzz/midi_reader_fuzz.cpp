// SPDX-License-Identifier: GPL-3.0-or-later
// The MIDI reader on any bytes, and the MIDI writer on any tone data: a file is refused with a
// message or read into fields the encoder takes, and every file the writer makes reads back.
#include "formats/record.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/harnesses.h"
#include "interchange/midi.h"
#include "interchange/midi_tracks.h"
#include "melody/tone_encoder.h"

namespace belltower::fuzz {
namespace {

constexpr std::size_t kLongestToken = 16;

}  // namespace

void FuzzMidiReader(formats::ByteView input) {
    using formats::ErrorCode;
    const auto read = interchange::ReadMidi(input);
    if (!read) {
        BELLTOWER_FUZZ_CHECK(!read.error().message.empty());
        BELLTOWER_FUZZ_CHECK(read.error().code == ErrorCode::BadInput || read.error().code == ErrorCode::DamagedData);
    } else {
        BELLTOWER_FUZZ_CHECK(interchange::LooksLikeMidi(input));
        for (const auto& warning : read->warnings) {
            BELLTOWER_FUZZ_CHECK(!warning.empty());
        }
        // However large the file's numbers, the melody stays within what tone data can hold:
        // a token ("t1000 32c#7.") per piece.
        BELLTOWER_FUZZ_CHECK(read->fields.notes.size() <= kLongestToken * melody::kMaxTimelineEvents);
        if (read->fields.name.size() <= formats::kMaxNameLength) {
            const auto encoded = melody::EncodeMelody(read->fields, formats::TextFormat::Ascii, std::nullopt);
            BELLTOWER_FUZZ_CHECK(encoded.record.has_value() || encoded.record.error().code == ErrorCode::Limit);
        }
    }
    // The listing reads what the import reads; its pick is never a drum track, and every track
    // it lists can be read with any voice rule and no transposition.
    const auto list = interchange::ListMidiTracks(input);
    BELLTOWER_FUZZ_CHECK(list.has_value() == read.has_value());
    if (list && !list->tracks.empty()) {
        const int pick = list->defaultTrack;
        BELLTOWER_FUZZ_CHECK(pick == 0 || !list->tracks[static_cast<std::size_t>(pick - 1)].drums);
        const auto last = interchange::ReadMidi(
            input,
            {.track = static_cast<int>(list->tracks.size()), .voice = interchange::VoiceRule::First, .transpose = 0});
        BELLTOWER_FUZZ_CHECK(last.has_value() || last.error().code == ErrorCode::BadInput);
    }
    const auto written = interchange::WriteMidiMelody(input);
    BELLTOWER_FUZZ_CHECK(written.has_value());
    // Two events of at most 8 bytes per timed event, a tempo event each, the name, the header.
    BELLTOWER_FUZZ_CHECK(written->size() <= 24 * melody::kMaxTimelineEvents + input.size() + 64);
    BELLTOWER_FUZZ_CHECK(interchange::ReadMidi(*written).has_value());
}

}  // namespace belltower::fuzz
