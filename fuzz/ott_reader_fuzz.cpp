// SPDX-License-Identifier: GPL-3.0-or-later
// Smart Messaging ringtones: the .ott reader on any bytes, and the writer on what the reader
// gives and on any notes text. Whatever the writer makes must read back to the same bytes.
#include <string>

#include "formats/record.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/harnesses.h"
#include "interchange/ott.h"
#include "melody/tone_encoder.h"

namespace belltower::fuzz {
namespace {

using formats::ByteView;
using formats::ErrorCode;
using melody::MelodyFields;

// A file the writer made: it reads without a warning and writes again to the same bytes.
// `notes` bounds the notes written: each takes a few bytes at most (a style, a tempo and a note
// instruction).
void CheckWritten(const interchange::OttExport& written, std::size_t notes) {
    BELLTOWER_FUZZ_CHECK(written.bytes.size() <= 8 * notes + 64);
    BELLTOWER_FUZZ_CHECK(interchange::LooksLikeOtt(written.bytes));
    const auto read = interchange::ReadOtt(written.bytes);
    BELLTOWER_FUZZ_CHECK(read.has_value());
    BELLTOWER_FUZZ_CHECK(read->warnings.empty());
    BELLTOWER_FUZZ_CHECK(read->fields.name.size() <= interchange::kOttMaxTitle);
    const auto again = interchange::WriteOtt(read->fields);
    BELLTOWER_FUZZ_CHECK(again.has_value());
    BELLTOWER_FUZZ_CHECK(again->warnings.empty());
    BELLTOWER_FUZZ_CHECK(again->bytes == written.bytes);
}

// A file's repeats are written out up to this many notes.
constexpr std::size_t kMostImportedNotes = 4096;

void FuzzFile(ByteView file) {
    const auto read = interchange::ReadOtt(file);
    if (!read) {
        const formats::Error& error = read.error();
        BELLTOWER_FUZZ_CHECK(!error.message.empty());
        BELLTOWER_FUZZ_CHECK(error.code == ErrorCode::BadInput || error.code == ErrorCode::DamagedData);
        BELLTOWER_FUZZ_CHECK(interchange::LooksLikeOtt(file) || error.code == ErrorCode::BadInput);
        return;
    }
    BELLTOWER_FUZZ_CHECK(interchange::LooksLikeOtt(file));
    for (const auto& warning : read->warnings) {
        BELLTOWER_FUZZ_CHECK(!warning.empty());
    }
    // The imported text is ringtone text the tone encoder takes (unless it is too long for a
    // record), and the writer takes it too.
    const MelodyFields& fields = read->fields;
    if (fields.name.size() <= formats::kMaxNameLength) {
        const auto encoded = melody::EncodeMelody(fields, formats::TextFormat::Ascii, std::nullopt);
        BELLTOWER_FUZZ_CHECK(encoded.record.has_value() || encoded.record.error().code == ErrorCode::Limit);
    }
    const auto written = interchange::WriteOtt(fields);
    BELLTOWER_FUZZ_CHECK(written.has_value());
    CheckWritten(*written, file.size() + kMostImportedNotes);
}

void FuzzNotes(std::string notes, std::uint8_t options) {
    const std::size_t typed = notes.size();
    MelodyFields fields;
    fields.notes = std::move(notes);
    fields.octave = std::to_string(4 + (options >> 1 & 3));
    fields.playTwice = (options & kOttPlayTwice) != 0;
    const auto written = interchange::WriteOtt(fields);
    if (!written) {
        BELLTOWER_FUZZ_CHECK(written.error().code == ErrorCode::BadInput || written.error().code == ErrorCode::Limit);
        BELLTOWER_FUZZ_CHECK(!written.error().message.empty());
        return;
    }
    CheckWritten(*written, typed);
}

}  // namespace

void FuzzOttReader(ByteView input) {
    if (input.empty()) {
        return;
    }
    const std::uint8_t options = input[0];
    input = input.subspan(1);
    if ((options & kOttNotes) != 0) {
        FuzzNotes(formats::ToText(input), options);
    } else {
        FuzzFile(input);
    }
}

}  // namespace belltower::fuzz
