// SPDX-License-Identifier: GPL-3.0-or-later
#include "interchange/fit.h"

#include <algorithm>
#include <cmath>

#include "formats/message_text.h"
#include "formats/record.h"
#include "formats/tone_commands.h"
#include "interchange/composer.h"
#include "interchange/ott.h"
#include "interchange/score_notes.h"
#include "melody/score.h"
#include "melody/timeline.h"
#include "melody/tone_decoder.h"

namespace belltower::interchange {
namespace {

using formats::ByteView;
using melody::Hardware;

std::string Plural(std::size_t count, const std::string& word) {
    return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

// The distinct note names out of a hardware's range, in playing order.
std::vector<std::string> OutOfRangeNames(const melody::Timeline& timeline, Hardware hardware) {
    std::vector<std::string> names;
    for (const melody::TimedEvent& event : timeline.events) {
        if (event.IsPause() || !melody::OutOfRange(event.code, hardware)) {
            continue;
        }
        std::string name = melody::NoteLabel(event.code);
        if (std::find(names.begin(), names.end(), name) == names.end()) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

// A single SMS when the ringtone fits one, else the parts of a concatenated one.
std::optional<std::size_t> SmsParts(std::size_t bytes) {
    if (bytes <= kSmsBytes) {
        return 1;
    }
    const std::size_t parts = (bytes + kConcatenatedSmsBytes - 1) / kConcatenatedSmsBytes;
    return parts <= kMaxSmsParts ? std::optional(parts) : std::nullopt;
}

void FitSms(const melody::MelodyFields& fields, MelodyFit& fit) {
    const formats::Result<MelodyExport> ott = WriteOtt(fields);
    if (!ott) {
        fit.smsProblems.push_back("No Smart Messaging ringtone can be written: " + ott.error().message);
        return;
    }
    fit.sms.bytes = ott->bytes.size();
    fit.sms.parts = SmsParts(ott->bytes.size());
    if (!fit.sms.parts) {
        fit.smsProblems.push_back("The Smart Messaging ringtone takes " + std::to_string(ott->bytes.size()) +
                                  " bytes, more than " + std::to_string(kMaxSmsParts) + " concatenated SMS hold (" +
                                  std::to_string(kMaxSmsParts * kConcatenatedSmsBytes) + ").");
    }
}

// A note's token as it plays, its length written out when the default gives it, so that a
// problem with the length names the length.
std::string PlayedToken(const melody::Score& score, const ScoreNote& note) {
    melody::ScoreItem played = score.items[note.item];
    if (!played.fraction && note.fraction == std::floor(note.fraction) && note.fraction >= 1 && note.fraction <= 99) {
        played.fraction = static_cast<int>(note.fraction);
    }
    return melody::WriteToken(played);
}

ComposerFit FitComposer(const melody::Score& score) {
    ComposerFit fit;
    const std::vector<ScoreNote> notes = ScoreNotes(score);
    if (notes.size() > kComposerMaxNotes) {
        fit.problems.push_back("The Composer holds " + std::to_string(kComposerMaxNotes) +
                               " notes and rests; the melody has " + std::to_string(notes.size()) + ".");
    }
    int low = 99;
    int high = -99;
    std::vector<std::string> lengths;
    for (const ScoreNote& note : notes) {
        if (!note.rest) {
            const int octave = melody::NameOfCode(static_cast<std::uint8_t>(note.code)).octave;
            low = std::min(low, octave);
            high = std::max(high, octave);
        }
        if (!SameLength(NearestLength(note.Whole(), ComposerLengths()).Whole(), note.Whole())) {
            lengths.push_back(PlayedToken(score, note));
        }
    }
    if (high - low >= kComposerOctaves) {
        fit.problems.push_back("The notes span " + std::to_string(high - low + 1) + " octaves (" + std::to_string(low) +
                               " to " + std::to_string(high) + "); the Composer holds " +
                               std::to_string(kComposerOctaves) + ".");
    }
    if (!lengths.empty()) {
        fit.problems.push_back("The Composer has no length for " + ListFirst(lengths) + ": it holds 1 to 32.");
    }
    fit.fits = fit.problems.empty();
    return fit;
}

MelodyFit FitTimeline(const melody::Timeline& timeline) {
    MelodyFit fit;
    fit.notes = static_cast<std::size_t>(std::count_if(timeline.events.begin(), timeline.events.end(),
                                                       [](const melody::TimedEvent& e) { return !e.IsPause(); }));
    fit.seconds = static_cast<double>(timeline.units) / formats::tone::kUnitsPerSecond;
    fit.outOfRangePhone = OutOfRangeNames(timeline, Hardware::Phone);
    fit.outOfRangeLogoManager = OutOfRangeNames(timeline, Hardware::LogoManager);
    return fit;
}

// The tone data inside a record: after the name's terminator, without the fill.
formats::Bytes RecordToneData(ByteView record) {
    const formats::TextFormat format = formats::DetectRecordFormat(record);
    const formats::Result<formats::Bytes> tail = formats::RecordTail(record, format);
    if (!tail) {
        return {};
    }
    const formats::Bytes data = formats::StripFill(*tail);
    const std::size_t terminator = 1 + formats::UnicodeOffset(format);
    return {data.begin() + static_cast<std::ptrdiff_t>(std::min(terminator, data.size())), data.end()};
}

std::string RangeProblem(const std::vector<std::string>& names, const std::string& hardware, std::uint8_t lowest) {
    return "Out of range for " + hardware + " (" + melody::NoteLabel(lowest) + " to " +
           melody::NoteLabel(formats::tone::kHighestSoundedNote) + "): " + ListFirst(names) + ".";
}

}  // namespace

MelodyFit FitEncoded(const melody::MelodyFields& fields, const melody::EncodeResult& encoded) {
    MelodyFit fit = FitTimeline(melody::EncodedTimeline(encoded));
    fit.toneDataBytes = encoded.toneData.size();
    fit.recordBytes = encoded.record ? encoded.record->size() : 0;
    FitSms(fields, fit);
    fit.composer = FitComposer(melody::ReadScore(fields));
    return fit;
}

formats::Result<MelodyFit> FitFields(const melody::MelodyFields& fields) {
    const melody::EncodeResult encoded = melody::EncodeMelody(fields, formats::TextFormat::Ascii, std::nullopt);
    if (!encoded.record) {
        return encoded.record.error();
    }
    return FitEncoded(fields, encoded);
}

MelodyFit FitRecord(ByteView recordOrToneData) {
    const bool whole = formats::IsWholeRecord(recordOrToneData);
    const formats::Bytes toneData =
        whole ? RecordToneData(recordOrToneData) : formats::Bytes(recordOrToneData.begin(), recordOrToneData.end());
    MelodyFit fit = FitTimeline(melody::BuildTimeline(toneData));
    fit.toneDataBytes = toneData.size();
    fit.recordBytes = whole ? recordOrToneData.size() : 0;
    const melody::DecodedMelody decoded = melody::DecodeMelody(recordOrToneData);
    FitSms(decoded.fields, fit);
    fit.composer = FitComposer(decoded.score);
    return fit;
}

std::vector<std::string> FitProblems(const MelodyFit& fit) {
    std::vector<std::string> problems;
    if (!fit.outOfRangePhone.empty()) {
        problems.push_back(RangeProblem(fit.outOfRangePhone, "the phone", formats::tone::kPhoneLowestNote));
    }
    if (!fit.outOfRangeLogoManager.empty()) {
        problems.push_back(
            RangeProblem(fit.outOfRangeLogoManager, "LogoManager", formats::tone::kLogoManagerLowestNote));
    }
    problems.insert(problems.end(), fit.smsProblems.begin(), fit.smsProblems.end());
    problems.insert(problems.end(), fit.composer.problems.begin(), fit.composer.problems.end());
    return problems;
}

std::string FitSummary(const MelodyFit& fit) {
    const std::string seconds = formats::NumberText(std::round(fit.seconds * 10) / 10) + " s";
    std::string line =
        Plural(fit.notes, "note") + ", " + seconds + "; tone data " + Plural(fit.toneDataBytes, "byte") + "; ";
    if (!fit.sms.bytes) {
        line += "no .ott";
    } else {
        line += ".ott " + Plural(*fit.sms.bytes, "byte") + ", ";
        if (!fit.sms.parts) {
            line += "too long for SMS";
        } else {
            line += *fit.sms.parts == 1 ? "1 SMS" : std::to_string(*fit.sms.parts) + " SMS parts";
        }
    }
    line += std::string("; Composer: ") + (fit.composer.fits ? "fits" : "does not fit");
    line += fit.outOfRangePhone.empty() ? "; phone: all notes"
                                        : "; phone: " + Plural(fit.outOfRangePhone.size(), "note") + " out of range";
    return line;
}

}  // namespace belltower::interchange
