// SPDX-License-Identifier: GPL-3.0-or-later
// RTX text in, melody record out: the reader, the writer and the tone encoder on any line and
// any field values.
#include <optional>
#include <string>
#include <string_view>

#include "formats/dword.h"
#include "formats/record.h"
#include "formats/text_value.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/harnesses.h"
#include "melody/rtx_text.h"
#include "melody/tone_encoder.h"
#include "preview/wav_writer.h"

namespace belltower::fuzz {
namespace {

using formats::Bytes;
using formats::ByteView;
using formats::TextFormat;
using melody::MelodyFields;

bool HasAny(std::string_view text, std::string_view characters) {
    return text.find_first_of(characters) != std::string_view::npos;
}

// Fields that a written line gives back, the name made to fit: no line break in the notes, and
// no colon, comma or line break in a setting (those end the setting on reading).
bool Writable(const MelodyFields& f) {
    for (const std::string* setting : {&f.duration, &f.octave, &f.tempo, &f.id, &f.index, &f.staccato, &f.delay}) {
        if (HasAny(*setting, ",:\r\n")) {
            return false;
        }
    }
    return !HasAny(f.notes, "\r\n");
}

void SplitFields(std::string_view text, MelodyFields& fields) {
    std::string* const order[] = {&fields.name, &fields.duration, &fields.octave, &fields.tempo,   &fields.notes,
                                  &fields.id,   &fields.delay,    &fields.index,  &fields.staccato};
    for (std::size_t i = 0; i < std::size(order); ++i) {
        const auto separator = text.find(kRtxFieldSeparator);
        if (separator == std::string_view::npos || i + 1 == std::size(order)) {
            *order[i] = std::string(text);
            return;
        }
        *order[i] = std::string(text.substr(0, separator));
        text.remove_prefix(separator + 1);
    }
}

void CheckRtxRoundTrip(const MelodyFields& fields) {
    const std::string line = melody::WriteRtxText(fields);
    BELLTOWER_FUZZ_CHECK(line.ends_with("\r\n"));
    // The fields as they are, with their keys and separators.
    const std::size_t typed = fields.name.size() + fields.duration.size() + fields.octave.size() + fields.tempo.size() +
                              fields.notes.size() + fields.id.size() + fields.delay.size() + fields.index.size() +
                              fields.staccato.size();
    BELLTOWER_FUZZ_CHECK(line.size() <= typed + 64);
    if (!Writable(fields)) {
        return;
    }
    BELLTOWER_FUZZ_CHECK(melody::FirstLine(line).size() + 2 == line.size());
    // The reader never touches the two options the line does not carry; the line carries
    // force-one-play, so start from the opposite value.
    MelodyFields reread;
    reread.playTwice = fields.playTwice;
    reread.noSmallPauses = fields.noSmallPauses;
    reread.forceOnePlay = !fields.forceOnePlay;
    melody::ReadRtxText(line, reread);
    // A name that would break the line comes back with the same length, its characters replaced.
    BELLTOWER_FUZZ_CHECK(melody::NameFitsRtxText(reread.name));
    BELLTOWER_FUZZ_CHECK(reread.name.size() == fields.name.size());
    reread.name = fields.name;
    BELLTOWER_FUZZ_CHECK(reread == fields);
}

// The tone data of an encoded record: the tail without the terminator and the fill.
Bytes ToneData(const Bytes& record, TextFormat form) {
    const auto tail = formats::RecordTail(record, form);
    BELLTOWER_FUZZ_CHECK(tail.has_value());
    const std::size_t terminator = form == TextFormat::Unicode ? 2 : 1;
    BELLTOWER_FUZZ_CHECK(tail->size() >= terminator);
    for (std::size_t i = 0; i < terminator; ++i) {
        BELLTOWER_FUZZ_CHECK((*tail)[i] == 0);
    }
    return formats::StripFill(ByteView(*tail).subspan(terminator));
}

void CheckRecord(const Bytes& record, const MelodyFields& fields, TextFormat form) {
    const std::size_t u = formats::UnicodeOffset(form);
    BELLTOWER_FUZZ_CHECK(record.size() % 4 == 0);
    BELLTOWER_FUZZ_CHECK(record.size() >= formats::kRecordHeaderSize + u);
    BELLTOWER_FUZZ_CHECK(formats::RecordLengthField(record).has_value());
    BELLTOWER_FUZZ_CHECK(static_cast<std::size_t>(*formats::RecordLengthField(record)) == record.size());
    const auto index = formats::RecordIndex(record);
    BELLTOWER_FUZZ_CHECK(index.has_value());
    BELLTOWER_FUZZ_CHECK(*index == formats::RoundHalfEven(formats::TextValue(fields.index)));
    BELLTOWER_FUZZ_CHECK(*formats::RecordId(record) == (fields.id + "    ").substr(0, 4));
    BELLTOWER_FUZZ_CHECK(record[12] == 0 && record[13] == 0 && record[14] == 0 && record[15] == 0);

    const auto nameLength = formats::RecordNameLength(record, form);
    BELLTOWER_FUZZ_CHECK(nameLength.has_value());
    BELLTOWER_FUZZ_CHECK(*nameLength == fields.name.size());
    const Bytes storedName = formats::WidenIfUnicode(formats::ToBytes(fields.name), form);
    BELLTOWER_FUZZ_CHECK(*formats::RecordNameBytes(record, form) == storedName);

    const Bytes tone = ToneData(record, form);
    BELLTOWER_FUZZ_CHECK(tone.size() % 2 == 0);
    BELLTOWER_FUZZ_CHECK(tone.size() <= melody::kMaxToneDataBytes);
    BELLTOWER_FUZZ_CHECK(tone.size() >= 10);
    BELLTOWER_FUZZ_CHECK((Bytes(tone.begin(), tone.begin() + 6) == Bytes{0x00, 0x02, 0xFC, 0x09, 0x0A, 0x01}));
    BELLTOWER_FUZZ_CHECK(tone[tone.size() - 2] == 0x07 && tone[tone.size() - 1] == 0x0B);

    // The play options are found again by the record's play-mode search. (A delay byte 0x0A
    // can add the play-twice pair; the search is meant to see it.)
    const int playMode = formats::RecordPlayMode(record);
    BELLTOWER_FUZZ_CHECK(!fields.forceOnePlay || (playMode & 1) != 0);
    BELLTOWER_FUZZ_CHECK(!fields.playTwice || (playMode & 2) != 0);

    // Telling the format from the bytes works for every name the name box allows: up to 30
    // characters, none of them a control character in front.
    const bool plainName =
        fields.name.size() <= 30 && (fields.name.empty() || static_cast<unsigned char>(fields.name.front()) >= 32);
    if (form == TextFormat::Unicode || plainName) {
        BELLTOWER_FUZZ_CHECK(formats::DetectRecordFormat(record) == form);
    }
    // The preview plays an encoded record from its second opening command on.
    if (plainName) {
        const ByteView played = preview::PlayedToneData(record);
        BELLTOWER_FUZZ_CHECK(played.size() >= 2 && played[0] == 0xFC && played[1] == 0x09);
        BELLTOWER_FUZZ_CHECK(played.data() + played.size() == record.data() + record.size());
    }
}

}  // namespace

void FuzzRtxEncoder(ByteView input) {
    if (input.empty()) {
        return;
    }
    const std::uint8_t options = input[0];
    input = input.subspan(1);
    std::optional<melody::NotesSelection> selection;
    if ((options & kRtxSelection) != 0) {
        if (input.size() < 2) {
            return;
        }
        selection = melody::NotesSelection{input[0], input[1]};
        input = input.subspan(2);
    }
    const std::string text = formats::ToText(input);

    MelodyFields fields;
    fields.playTwice = (options & kRtxPlayTwice) != 0;
    fields.forceOnePlay = (options & kRtxForceOnePlay) != 0;
    fields.noSmallPauses = (options & kRtxNoSmallPauses) != 0;
    if ((options & kRtxFields) != 0) {
        SplitFields(text, fields);
    } else {
        const std::string_view line = melody::FirstLine(text);
        BELLTOWER_FUZZ_CHECK(!HasAny(line, "\r\n"));
        BELLTOWER_FUZZ_CHECK(line.data() == text.data());
        const bool before = fields.playTwice;
        melody::ReadRtxText(text, fields);
        BELLTOWER_FUZZ_CHECK(fields.playTwice == before);
        BELLTOWER_FUZZ_CHECK(Writable(fields));  // whatever one line gives, a line can hold
    }
    CheckRtxRoundTrip(fields);

    const TextFormat form = (options & kRtxUnicode) != 0 ? TextFormat::Unicode : TextFormat::Ascii;
    const TextFormat otherForm = form == TextFormat::Unicode ? TextFormat::Ascii : TextFormat::Unicode;
    const melody::EncodeResult encoded = melody::EncodeMelody(fields, form, selection);
    for (const std::string& token : encoded.tokens) {
        BELLTOWER_FUZZ_CHECK(!token.empty());
        BELLTOWER_FUZZ_CHECK(!HasAny(token, " ,ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    }
    BELLTOWER_FUZZ_CHECK(!encoded.noData || encoded.tokens.empty());

    // The text format changes the name's layout only: the other form fails or succeeds alike,
    // with the same tone data.
    const melody::EncodeResult other = melody::EncodeMelody(fields, otherForm, selection);
    BELLTOWER_FUZZ_CHECK(other.record.has_value() == encoded.record.has_value());
    if (!encoded.record) {
        const formats::Error& error = encoded.record.error();
        BELLTOWER_FUZZ_CHECK(error.code == formats::ErrorCode::BadInput || error.code == formats::ErrorCode::Limit);
        BELLTOWER_FUZZ_CHECK(!error.message.empty());
        BELLTOWER_FUZZ_CHECK(other.record.error() == error);
        return;
    }
    CheckRecord(*encoded.record, fields, form);
    CheckRecord(*other.record, fields, otherForm);
    BELLTOWER_FUZZ_CHECK(ToneData(*encoded.record, form) == ToneData(*other.record, otherForm));
}

}  // namespace belltower::fuzz
