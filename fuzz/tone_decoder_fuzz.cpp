// SPDX-License-Identifier: GPL-3.0-or-later
// The tone decoder on any bytes, and on whatever the tone encoder makes of any notes text: the
// decoder never fails, its text always encodes, and what it calls exact comes back byte for
// byte.
#include <string>

#include "fuzz/fuzz_check.h"
#include "fuzz/harnesses.h"
#include "melody/tone_decoder.h"
#include "melody/tone_encoder.h"

namespace belltower::fuzz {
namespace {

using formats::Bytes;
using formats::ByteView;
using formats::ErrorCode;
using formats::TextFormat;

constexpr std::size_t kLongestToken = 16;

std::uint8_t At(ByteView bytes, std::size_t offset) {
    return offset < bytes.size() ? bytes[offset] : 0;
}

// Encodes the fields again; exact decodings must give `input` back.
void CheckDecoded(const melody::DecodedMelody& decoded, ByteView input) {
    for (const auto& loss : decoded.losses) {
        BELLTOWER_FUZZ_CHECK(!loss.what.empty());
        BELLTOWER_FUZZ_CHECK(loss.offset <= input.size());
    }
    // Work in proportion to the input: the events stop at their caps, and the text holds a
    // token (at most a tempo tag and a note, "t1000 32c#7.") per command or event.
    BELLTOWER_FUZZ_CHECK(decoded.timeline.units <= melody::kMaxTimelineUnits);
    BELLTOWER_FUZZ_CHECK(decoded.timeline.events.size() <= melody::kMaxTimelineEvents);
    BELLTOWER_FUZZ_CHECK(decoded.fields.notes.size() <= kLongestToken * (input.size() + melody::kMaxTimelineEvents));
    const auto again = melody::EncodeMelody(decoded.fields, decoded.format, std::nullopt);
    BELLTOWER_FUZZ_CHECK(again.record.has_value() || again.record.error().code == ErrorCode::Limit);
    if (decoded.exact && decoded.record) {
        BELLTOWER_FUZZ_CHECK(*again.record == Bytes(input.begin(), input.end()));
    }
}

void FuzzNotes(ByteView input, std::uint8_t options) {
    melody::MelodyFields fields;
    fields.name = "Fuzz";
    fields.staccato = std::to_string(At(input, 0) % 64);
    fields.tempo = std::to_string(25 + 4 * At(input, 1));
    fields.delay = std::to_string(At(input, 2));
    fields.playTwice = (options & kDecodePlayTwice) != 0;
    fields.forceOnePlay = (options & kDecodeForceOnePlay) != 0;
    fields.noSmallPauses = (options & kDecodeNoSmallPauses) != 0;
    fields.notes = formats::ToText(formats::Mid(input, 3, input.size()));
    const TextFormat form = (options & kDecodeUnicode) != 0 ? TextFormat::Unicode : TextFormat::Ascii;
    const auto encoded = melody::EncodeMelody(fields, form, std::nullopt);
    if (!encoded.record) {
        return;
    }
    const melody::DecodedMelody decoded = melody::DecodeMelody(*encoded.record);
    BELLTOWER_FUZZ_CHECK(decoded.exact);
    BELLTOWER_FUZZ_CHECK(decoded.losses.empty());
    CheckDecoded(decoded, *encoded.record);
}

}  // namespace

void FuzzToneDecoder(ByteView input) {
    if (input.empty()) {
        return;
    }
    const std::uint8_t options = input[0];
    input = input.subspan(1);
    if ((options & kDecodeNotes) != 0) {
        FuzzNotes(input, options);
    } else {
        CheckDecoded(melody::DecodeMelody(input), input);
    }
}

}  // namespace belltower::fuzz
