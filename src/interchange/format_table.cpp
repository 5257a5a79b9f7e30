// SPDX-License-Identifier: GPL-3.0-or-later
#include "interchange/format_table.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <stdexcept>
#include <utility>

#include "formats/record.h"
#include "interchange/composer.h"
#include "interchange/imelody.h"
#include "interchange/melody_file.h"
#include "interchange/midi.h"
#include "interchange/ott.h"
#include "melody/rtx_text.h"
#include "melody/tone_encoder.h"

namespace belltower::interchange {
namespace {

using formats::ByteView;
using formats::Result;
using formats::TextFormat;
using melody::MelodyFields;

Result<MelodyExport> WriteRecord(const MelodyFields& fields, TextFormat form) {
    melody::EncodeResult encoded = melody::EncodeReRecord(fields, form);
    if (!encoded.record) {
        return encoded.record.error();
    }
    MelodyExport out{std::move(*encoded.record), {}};
    if (encoded.noData) {
        out.warnings.emplace_back(melody::kNoDataText);
    }
    return out;
}

// MIDI plays what the phone plays: the typed melody encoded and timed, with no decoding.
Result<MelodyExport> WriteMidiFile(const MelodyFields& fields, TextFormat /*form*/) {
    const melody::Score score = melody::ReadScore(fields);
    const auto timeline = PlayedTimeline(score);
    if (!timeline) {
        return timeline.error();
    }
    auto midi = WriteMidi(*timeline, score.settings.name);
    if (!midi) {
        return midi.error();
    }
    MelodyExport out{std::move(*midi), {}};
    if (score.items.empty()) {
        out.warnings.emplace_back(melody::kNoDataText);
    }
    if (auto cut = melody::CutWarning(*timeline)) {
        out.warnings.push_back(std::move(*cut));
    }
    return out;
}

Result<MelodyExport> WriteRingtone(const MelodyFields& fields, TextFormat /*form*/) {
    MelodyExport out;
    if (const std::string options = RestoringOptions(fields); !options.empty()) {
        out.warnings.push_back("Ringtone text cannot hold every option of this melody; encode it with: " + options);
    }
    if (!melody::NameFitsRtxText(fields.name)) {
        out.warnings.emplace_back(melody::kRtxNameChangedText);
    }
    out.bytes = formats::ToBytes(melody::WriteRtxText(fields));
    return out;
}

Result<MelodyImport> ReadRingtone(ByteView bytes, const MelodyFields& base) {
    MelodyImport imported;
    imported.fields = base;
    melody::ReadRtxText(formats::ToText(bytes), imported.fields);
    imported.score = melody::ReadScore(imported.fields);
    return imported;
}

// The edit fields as the typed melody a text format's writer takes.
template <MelodyExport (*write)(const melody::Score&)>
Result<MelodyExport> WriteScoreFile(const MelodyFields& fields, TextFormat /*form*/) {
    return write(melody::ReadScore(fields));
}

constexpr auto kMidiExtensions = std::to_array<std::string_view>({"mid", "midi"});
constexpr auto kRecordExtensions = std::to_array<std::string_view>({"re"});
constexpr auto kOttExtensions = std::to_array<std::string_view>({"ott"});
constexpr auto kRingtoneExtensions = std::to_array<std::string_view>({"rtx", "ert"});
constexpr auto kImelodyExtensions = std::to_array<std::string_view>({"imy"});
constexpr auto kComposerExtensions = std::to_array<std::string_view>({"txt"});

// A record is told by its length field, MIDI by its first bytes and .ott by its first commands,
// which no ringtone text has; ringtone text is whatever else the bytes are. Bare tone data looks
// like nothing in particular and is read only when named.
const auto kFormats = std::to_array<MelodyFormat>({
    {MelodyContent::Record, "re", "RE melody record", kRecordExtensions, formats::IsWholeRecord,
     [](ByteView bytes, const MelodyFields&) { return Result<MelodyImport>(ReadMelodyRecord(bytes)); }, WriteRecord,
     "The spelling of the notes: the record keeps the tone data they give, not their text."},
    {MelodyContent::Ringtone, "rtx", "Ringtone text (RTX, ERT)", kRingtoneExtensions, nullptr, ReadRingtone,
     WriteRingtone, "The options \"suggest playing twice\" and \"no small pauses\"."},
    {MelodyContent::Midi, "mid", "MIDI file", kMidiExtensions, LooksLikeMidiFile,
     [](ByteView bytes, const MelodyFields&) { return ReadMidi(bytes); }, WriteMidiFile,
     "Vibration, staccato, delays, the ID, index and play options; read back, a file keeps one voice of one "
     "track in sixty-fourth notes, moved by whole octaves into the phone's range."},
    {MelodyContent::Ott, "ott", "Smart Messaging ringtone", kOttExtensions, LooksLikeOtt,
     [](ByteView bytes, const MelodyFields&) { return ReadOtt(bytes); },
     [](const MelodyFields& fields, TextFormat) { return WriteOtt(fields); },
     "Vibration, staccato, delays, \"force one play\", the ID and index, names over 15 characters; tempos and "
     "lengths become the format's nearest."},
    {MelodyContent::Imelody, "imy", "iMelody", kImelodyExtensions, LooksLikeImelody,
     [](ByteView bytes, const MelodyFields&) { return ReadImelody(bytes); }, WriteScoreFile<WriteImelody>,
     "Staccato lengths, delays, the ID, index and play options; lengths and tempo changes iMelody cannot write "
     "exactly become the nearest."},
    {MelodyContent::Composer, "composer", "Composer codes", kComposerExtensions, LooksLikeComposer,
     [](ByteView bytes, const MelodyFields&) { return ReadComposer(bytes); }, WriteScoreFile<WriteComposer>,
     "Vibration, staccato, delays, tempo changes and everything but notes, rests and one tempo; lengths other "
     "than 1-32 are rounded and octaves outside 1-3 moved."},
    {MelodyContent::ToneData,
     "tone",
     "Bare tone data",
     {},
     nullptr,
     [](ByteView bytes, const MelodyFields&) { return Result<MelodyImport>(ReadToneData(bytes)); },
     nullptr,
     "The name, ID, index and play options: there is no record header."},
});

bool SameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

MelodyImport ImportOf(melody::Score score, std::vector<std::string> warnings, char separator) {
    melody::MelodyFields fields = melody::WriteFields(score);
    fields.notes.clear();
    for (const melody::ScoreItem& item : score.items) {
        if (!fields.notes.empty()) {
            fields.notes += separator;
        }
        fields.notes += melody::WriteToken(item);
    }
    return MelodyImport{std::move(score), std::move(fields), std::move(warnings)};
}

std::span<const MelodyFormat> MelodyFormats() {
    return kFormats;
}

const MelodyFormat* FindMelodyFormat(std::string_view name) {
    const auto* const found = std::find_if(kFormats.begin(), kFormats.end(),
                                           [&](const MelodyFormat& format) { return SameName(format.name, name); });
    return found == kFormats.end() ? nullptr : &*found;
}

const MelodyFormat& FormatOf(MelodyContent content) {
    const auto* const found = std::find_if(kFormats.begin(), kFormats.end(),
                                           [&](const MelodyFormat& format) { return format.content == content; });
    if (found == kFormats.end()) {
        throw std::logic_error("a melody content has no row in the table of formats");
    }
    return *found;
}

MelodyContent RecogniseMelody(ByteView bytes) {
    for (const MelodyFormat& format : kFormats) {
        if (format.recognise != nullptr && format.recognise(bytes)) {
            return format.content;
        }
    }
    return MelodyContent::Ringtone;
}

std::string FileDialogFilter(const MelodyFormat& format) {
    if (format.extensions.empty()) {
        return {};
    }
    std::string filter = std::string(format.description) + "|";
    for (const std::string_view extension : format.extensions) {
        filter += (filter.back() == '|' ? "*." : ";*.") + std::string(extension);
    }
    return filter;
}

const MelodyFormat* FindMelodyFormatByExtension(std::string_view extension) {
    const auto* const found = std::find_if(kFormats.begin(), kFormats.end(), [&](const MelodyFormat& format) {
        return format.write != nullptr && std::any_of(format.extensions.begin(), format.extensions.end(),
                                                      [&](std::string_view own) { return SameName(own, extension); });
    });
    return found == kFormats.end() ? nullptr : &*found;
}

}  // namespace belltower::interchange
