// SPDX-License-Identifier: GPL-3.0-or-later
#include "melody/tone_encoder.h"

#include <cmath>
#include <string_view>
#include <vector>

#include "formats/dword.h"
#include "formats/file_io.h"
#include "formats/message_text.h"
#include "formats/record.h"
#include "formats/text_value.h"
#include "formats/tone_commands.h"
#include "melody/score.h"

namespace belltower::melody {
namespace {

using formats::Bytes;
using formats::Error;
using formats::ErrorCode;
using formats::MakeError;
using formats::Result;
using formats::RoundHalfEven;

namespace tone = formats::tone;

constexpr double kPieceUnits = tone::kPieceUnits;
constexpr std::uint8_t kPauseCode = tone::kPause;

// The settings that decide how notes become commands, read once per run.
struct Settings {
    double duration{};
    double octave{};
    double staccato{};
    bool smallPauses{};
};

struct Progress {
    double tempo{};                      // set from the settings before the first item
    std::optional<double> previousCode;  // the code of the last note or pause command written
    Bytes data;
};

// Rounds as every byte of tone data is rounded; false for values outside 0..255 (and NaN).
bool FitsByte(double value) {
    const double rounded = RoundHalfEven(value);
    return rounded >= 0 && rounded <= 255;
}

std::uint8_t ToByte(double value) {
    return static_cast<std::uint8_t>(RoundHalfEven(value));
}

// Refuses `commands` more commands when the tone data would grow past kMaxToneDataBytes.
// `token` names the token being encoded, empty while the melody is closed.
formats::Error TooLong(std::string_view token) {
    std::string message =
        "The melody is too long: its tone data passes " + std::to_string(kMaxToneDataBytes) + " bytes";
    message += token.empty() ? "." : " at the token " + formats::QuotedToken(token) + ".";
    return MakeError(ErrorCode::Limit, message);
}

Result<void> CheckRoom(const Bytes& data, std::size_t commands, std::string_view token) {
    if (data.size() + 2 * commands <= kMaxToneDataBytes) {
        return {};
    }
    return TooLong(token);
}

// One command onto the tone data, once CheckRoom has made room for it.
void Put(Bytes& data, std::uint8_t code, std::uint8_t parameter) {
    data.push_back(code);
    data.push_back(parameter);
}

// A note or pause item read with the defaults of the settings: the code it sounds (not yet
// checked against the byte range) and its duration fraction.
struct NoteValue {
    bool pause = false;
    double code = kPauseCode;
    double fraction = 0;
    bool dotted = false;
};

NoteValue ReadNote(const ScoreItem& item, const Settings& settings) {
    NoteValue note;
    note.pause = item.kind == ItemKind::Pause;
    note.fraction = item.fraction ? *item.fraction : settings.duration;
    note.dotted = item.dotted;
    note.code = NoteCode(item, settings.octave).value_or(kPauseCode);
    return note;
}

// A note or pause in duration units.
struct NoteTiming {
    double code = kPauseCode;
    // The whole length, rounded half to even and at least 1; negative for a negative tempo or
    // duration, which the writer refuses.
    double units{};
    // Staccato: the code sounds for this many units and the rest of the length is silence.
    std::optional<double> cutAt;
};

// `what` names the token in messages ("note \"c\"").
Result<NoteTiming> TimeNote(const NoteValue& note, double tempo, double staccato, const std::string& what) {
    if (note.fraction == 0) {
        return MakeError(ErrorCode::BadInput,
                         "The " + what + " cannot be timed: the Duration field gives a duration of 0.");
    }
    if (tempo == 0) {
        return MakeError(ErrorCode::BadInput, "The " + what + " cannot be timed: the BPM field gives a tempo of 0.");
    }
    const double units = NoteUnits(note.fraction, note.dotted, tempo);
    NoteTiming timing{note.code, units, std::nullopt};
    if (staccato > 0 && units > staccato) {
        timing.cutAt = staccato;
    }
    return timing;
}

// Writes the commands of a timed note: the small pause in front when asked for, the staccato
// part, then the length (or its silent rest) as pieces of at most 125 units. Refuses what no
// byte holds, the note's own faults before the length of the tone data. Gives the code of the
// last command written.
Result<std::uint8_t> WriteNote(const NoteTiming& timing, bool smallPauseFirst, const std::string& what,
                               std::string_view token, Bytes& data) {
    const double code = timing.code;
    if (!FitsByte(code)) {
        const bool high = !(RoundHalfEven(code) < 0);
        return MakeError(ErrorCode::BadInput,
                         "The note " + formats::QuotedToken(token) + " gives the code " + formats::NumberText(code) +
                             (high ? ", above 255: its octave is too high." : ", below 0: its octave is too low."));
    }
    double length = timing.units;
    if (length < 0) {
        return MakeError(ErrorCode::BadInput, "The " + what + " gets a negative length (" +
                                                  formats::NumberText(length) +
                                                  " units): the tempo and the duration must be positive.");
    }
    const double sounding = timing.cutAt.value_or(0);
    if (timing.cutAt) {
        if (!FitsByte(sounding)) {
            return MakeError(ErrorCode::BadInput, "The staccato length " + formats::NumberText(sounding) +
                                                      " is too long to cut the " + what +
                                                      ": a tone lasts at most 255 units.");
        }
        length -= sounding;
    }
    // The small pause and the staccato part come first; a length of millions of units is
    // refused before its pieces are counted.
    const std::size_t first = (smallPauseFirst ? 1U : 0U) + (timing.cutAt ? 1U : 0U);
    if (auto room = CheckRoom(data, first, token); !room) {
        return room.error();
    }
    const double pieces = length > kPieceUnits ? std::ceil(length / kPieceUnits) : 1;
    if (static_cast<double>(data.size() + 2 * first) + 2 * pieces > static_cast<double>(kMaxToneDataBytes)) {
        if (pieces == 1) {
            return TooLong(token);
        }
        return MakeError(ErrorCode::Limit, "The " + what + " lasts " + formats::NumberText(length) +
                                               " units and needs " + formats::NumberText(pieces) +
                                               " commands of at most 125 units: a melody's tone data is limited to " +
                                               std::to_string(kMaxToneDataBytes) + " bytes.");
    }
    if (smallPauseFirst) {
        Put(data, kPauseCode, tone::kSmallPauseUnits);
    }
    // A staccato note sounds for its cut, and the rest of its length is silence.
    const std::uint8_t rest = timing.cutAt ? kPauseCode : ToByte(code);
    if (timing.cutAt) {
        Put(data, ToByte(code), ToByte(sounding));
    }
    while (length > kPieceUnits) {
        Put(data, rest, static_cast<std::uint8_t>(kPieceUnits));
        length -= kPieceUnits;
    }
    Put(data, rest, ToByte(length));
    return rest;
}

// `token` is the item's token as the notes text has it, named in messages.
Result<void> EncodeItem(const ScoreItem& item, const std::string& token, const Settings& settings, Progress& progress) {
    switch (item.kind) {
    case ItemKind::Tempo:
        // A tempo of 0 or less would stop every following note, so it is ignored.
        if (item.tempo > 0) {
            progress.tempo = item.tempo;
        }
        return {};
    case ItemKind::Vibration:
        if (auto room = CheckRoom(progress.data, 1, token); !room) {
            return room;
        }
        Put(progress.data, tone::kVibration, item.vibrationOn ? tone::kVibrationOn : tone::kVibrationOff);
        return {};
    case ItemKind::Other:
        return {};
    case ItemKind::Note:
    case ItemKind::Pause:
        break;
    }
    const NoteValue note = ReadNote(item, settings);
    const std::string what = (note.pause ? "pause " : "note ") + formats::QuotedToken(token);
    const auto timing = TimeNote(note, progress.tempo, settings.staccato, what);
    if (!timing) {
        return timing.error();
    }
    // Two equal codes in a row get a short silence between them, so the phone sounds two notes.
    const bool smallPause =
        settings.smallPauses && progress.previousCode && RoundHalfEven(timing->code) == *progress.previousCode;
    const auto last = WriteNote(*timing, smallPause, what, token, progress.data);
    if (!last) {
        return last.error();
    }
    progress.previousCode = *last;
    return {};
}

Result<Bytes> EncodeToneData(const Score& score, const std::vector<std::string>& tokens,
                             std::vector<TokenSpan>& spans) {
    const ScoreSettings& fields = score.settings;
    const Settings settings{fields.duration, fields.octave, fields.staccato, !fields.noSmallPauses};
    Progress progress;
    progress.tempo = fields.tempo;
    progress.data.assign(tone::kOpening.begin(), tone::kOpening.end());
    for (std::size_t i = 0; i < score.items.size(); ++i) {
        const std::size_t before = progress.data.size();
        const auto encoded = EncodeItem(score.items[i], tokens[i], settings, progress);
        spans.push_back({score.items[i].range, before, progress.data.size(), progress.tempo});
        if (!encoded) {
            return encoded.error();
        }
    }

    // The closing: the play marker, the delay, "force one play" and the end.
    const double delay = fields.delay;
    if (delay > 0 && !FitsByte(delay)) {
        return MakeError(ErrorCode::BadInput,
                         "The delay " + formats::NumberText(delay) + " is too long: a pause lasts at most 255 units.");
    }
    Bytes& data = progress.data;
    if (auto room = CheckRoom(data, 2U + (delay > 0 ? 1U : 0U) + (fields.forceOnePlay ? 1U : 0U), {}); !room) {
        return room.error();
    }
    Put(data, tone::kVibration, fields.playTwice ? tone::kPlayTwice : tone::kVibrationOff);
    if (delay > 0) {
        Put(data, kPauseCode, ToByte(delay));
    }
    if (fields.forceOnePlay) {
        Put(data, tone::kVibration, tone::kPlayOnce);
    }
    Put(data, tone::kEndCode, tone::kEndParameter);
    return std::move(progress.data);
}

Result<Bytes> EncodeRecord(const Score& score, formats::TextFormat form, EncodeResult& result) {
    const ScoreSettings& fields = score.settings;
    const double index = RoundHalfEven(fields.index);
    if (!(index >= 0 && index <= static_cast<double>(formats::kMaxDword))) {
        return MakeError(ErrorCode::BadInput, "The index " + formats::NumberText(index) + " is outside 0 to " +
                                                  std::to_string(formats::kMaxDword) + ".");
    }
    if (fields.name.size() > formats::kMaxNameLength) {
        // The name-length byte holds the character count plus 1.
        return MakeError(ErrorCode::BadInput, "The name has " + std::to_string(fields.name.size()) +
                                                  " characters: a melody name holds at most " +
                                                  std::to_string(formats::kMaxNameLength) + ".");
    }
    auto toneData = EncodeToneData(score, result.tokens, result.tokenSpans);
    if (!toneData) {
        return toneData.error();
    }
    result.toneData = *toneData;
    // The tail starts with the name's terminator, one zero byte per byte of a character.
    Bytes tail(form == formats::TextFormat::Unicode ? 2 : 1, 0x00);
    formats::Append(tail, *toneData);
    return formats::BuildRecord(static_cast<std::int64_t>(index), fields.id, fields.name, tail, std::nullopt, form);
}

}  // namespace

EncodeResult EncodeScore(const Score& score, formats::TextFormat form) {
    EncodeResult result;
    result.noData = score.items.empty();
    for (const ScoreItem& item : score.items) {
        result.tokens.push_back(item.text.empty() ? WriteToken(item) : item.text);
    }
    result.record = EncodeRecord(score, form, result);
    if (!result.record) {
        result.toneData.clear();
    }
    return result;
}

EncodeResult EncodeMelody(const MelodyFields& fields, formats::TextFormat form,
                          std::optional<NotesSelection> selection) {
    EncodeResult result = EncodeScore(ReadScore(fields, selection), form);
    // Blanks alone are notes the window does not warn about.
    result.noData = SelectedNotes(fields.notes, selection).empty();
    return result;
}

Timeline EncodedTimeline(const EncodeResult& encoded) {
    if (!encoded.record) {
        return {};
    }
    Timeline timeline = BuildTimeline(encoded.toneData);
    AttachTokens(timeline, encoded.tokenSpans);
    return timeline;
}

EncodeResult EncodeReRecord(const MelodyFields& fields, formats::TextFormat form,
                            std::optional<NotesSelection> selection) {
    EncodeResult result = EncodeMelody(fields, form, selection);
    const auto first = fields.name.empty() ? 0 : static_cast<unsigned char>(fields.name.front());
    if (result.record && form == formats::TextFormat::Ascii && first >= 1 && first <= 31) {
        result.record = MakeError(ErrorCode::BadInput,
                                  "The name begins with a control character: an ASCII RE file with such a name "
                                  "would be read as Unicode. Remove it or save in Unicode.");
    }
    return result;
}

EncodeFileResult EncodeMelodyFile(const std::filesystem::path& path, const MelodyFields& fields,
                                  formats::TextFormat form, std::optional<NotesSelection> selection,
                                  const formats::WriteFault* fault) {
    EncodeFileResult result{EncodeReRecord(fields, form, selection), std::nullopt};
    if (result.encoded.record) {
        if (auto written = formats::WriteFileAtomic(path, *result.encoded.record, fault); !written) {
            result.writeError = written.error();
        }
    }
    return result;
}

}  // namespace belltower::melody
