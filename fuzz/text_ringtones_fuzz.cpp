// SPDX-License-Identifier: GPL-3.0-or-later
// The text ringtones of other phones: the iMelody and Composer readers on any bytes, and their
// writers on what was read and on any ringtone text. A file is refused with a message or read
// into a bounded melody the encoder takes, and what a writer writes without a warning reads back
// to the same notes.
#include <string>

#include "formats/record.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/harnesses.h"
#include "interchange/composer.h"
#include "interchange/imelody.h"
#include "interchange/score_notes.h"
#include "melody/score.h"
#include "melody/timeline.h"
#include "melody/tone_encoder.h"

namespace belltower::fuzz {
namespace {

using formats::ByteView;
using formats::ErrorCode;
using interchange::MelodyExport;
using interchange::MelodyImport;
using melody::Score;

// A token of the notes text ("t1000 32c#7.") and a note of either written format ("*8#c5:",
// "16.#c3 1(hold)#**8888") stay within these many characters.
constexpr std::size_t kLongestToken = 16;
constexpr std::size_t kLongestWrittenNote = 32;
// Repeat counts make melodies of thousands of notes from a few bytes. Past this many items one
// is only held to its bounds: its tokens are those of a shorter one, and encoding, writing and
// reading it again would take most of the time budget.
constexpr std::size_t kLargestChecked = 4096;
// A warning quotes at most what it names, in a sentence of its own.
constexpr std::size_t kLongestSentence = 160;

struct Reader {
    formats::Result<MelodyImport> (*read)(ByteView bytes);
    MelodyExport (*write)(const Score& score);
};

// The notes and rests as they play: codes, and lengths in time (a tempo tag may be written as
// lengths at the file's one tempo).
void CheckSameNotes(const Score& read, const Score& written) {
    const auto played = interchange::ScoreNotes(read);
    const auto expected = interchange::ScoreNotes(written);
    BELLTOWER_FUZZ_CHECK(played.size() == expected.size());
    for (std::size_t i = 0; i < played.size(); ++i) {
        BELLTOWER_FUZZ_CHECK(played[i].code == expected[i].code);
        BELLTOWER_FUZZ_CHECK(
            interchange::SameLength(played[i].Whole() / played[i].tempo, expected[i].Whole() / expected[i].tempo));
    }
}

// Writes the score; a file written without a warning reads back without one, to the same notes.
void CheckWritten(const Reader& reader, const Score& score) {
    const MelodyExport written = reader.write(score);
    BELLTOWER_FUZZ_CHECK(written.bytes.size() <=
                         kLongestWrittenNote * score.items.size() + 4 * score.settings.name.size() + 256);
    for (const auto& warning : written.warnings) {
        BELLTOWER_FUZZ_CHECK(!warning.empty());
    }
    const bool sounds = !interchange::ScoreNotes(score).empty();
    if (!written.warnings.empty() || (!sounds && reader.read == &interchange::ReadComposer)) {
        return;
    }
    const auto again = reader.read(written.bytes);
    BELLTOWER_FUZZ_CHECK(again.has_value());
    BELLTOWER_FUZZ_CHECK(again->warnings.empty());
    CheckSameNotes(again->score, score);
    if (reader.read == &interchange::ReadImelody) {
        BELLTOWER_FUZZ_CHECK(again->score.settings.name == score.settings.name);
    }
}

void FuzzFile(const Reader& reader, ByteView file) {
    const auto read = reader.read(file);
    if (!read) {
        BELLTOWER_FUZZ_CHECK(read.error().code == ErrorCode::BadInput);
        BELLTOWER_FUZZ_CHECK(!read.error().message.empty());
        return;
    }
    // However large the repeat counts, the melody stays within what one record can hold, and
    // each warning is a sentence about a part of the file.
    std::size_t warned = 0;
    for (const auto& warning : read->warnings) {
        BELLTOWER_FUZZ_CHECK(!warning.empty());
        warned += warning.size();
    }
    BELLTOWER_FUZZ_CHECK(warned <= kLongestSentence * (file.size() + 1));
    BELLTOWER_FUZZ_CHECK(read->score.items.size() <= melody::kMaxTimelineEvents);
    BELLTOWER_FUZZ_CHECK(read->fields.notes.size() <= kLongestToken * melody::kMaxTimelineEvents);
    if (read->score.items.size() > kLargestChecked) {
        return;
    }
    if (read->fields.name.size() <= formats::kMaxNameLength) {
        const auto encoded = melody::EncodeMelody(read->fields, formats::TextFormat::Ascii, std::nullopt);
        BELLTOWER_FUZZ_CHECK(encoded.record.has_value() || encoded.record.error().code == ErrorCode::Limit);
    }
    CheckWritten(reader, read->score);
}

}  // namespace

void FuzzTextRingtones(ByteView input) {
    if (input.empty()) {
        return;
    }
    const std::uint8_t options = input[0];
    input = input.subspan(1);
    const Reader reader = (options & kTextComposer) != 0
                              ? Reader{&interchange::ReadComposer, &interchange::WriteComposer}
                              : Reader{&interchange::ReadImelody, &interchange::WriteImelody};
    if ((options & kTextRingtone) != 0) {
        CheckWritten(reader, melody::ReadScoreText(formats::ToText(input)));
    } else {
        FuzzFile(reader, input);
    }
}

}  // namespace belltower::fuzz
