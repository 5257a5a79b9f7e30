// SPDX-License-Identifier: GPL-3.0-or-later
#include "interchange/ott.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <string_view>
#include <tuple>

#include "formats/message_text.h"
#include "formats/text_value.h"
#include "interchange/most_used.h"
#include "interchange/score_notes.h"
#include "melody/note_token.h"

namespace belltower::interchange {
namespace {

using formats::Bytes, formats::ByteView, formats::ErrorCode, formats::MakeError, formats::Result;
using formats::NumberText, formats::QuotedToken;

constexpr unsigned kRingingToneProgramming = 0x25;  // 0100101
constexpr unsigned kUnicode = 0x22;                 // 0100010
constexpr unsigned kSound = 0x1D;                   // 0011101
constexpr unsigned kBasicSong = 1;
constexpr unsigned kTemporarySong = 2;

// Instruction ids.
constexpr unsigned kNote = 1;
constexpr unsigned kScale = 2;
constexpr unsigned kStyle = 3;
constexpr unsigned kTempo = 4;
constexpr unsigned kVolume = 5;

constexpr unsigned kDefaultScale = 1;
constexpr unsigned kDefaultTempoIndex = 8;  // 63 beats per minute
constexpr unsigned kInfiniteLoop = 15;
constexpr std::size_t kMaxPatternInstructions = 255;
constexpr std::size_t kMaxPatterns = 255;
// Repeated patterns are written out; this many notes is far more than any ringtone and keeps
// a file of 255 patterns looping 14 times from becoming megabytes of text.
constexpr std::size_t kMaxImportedNotes = 4096;

// Ringtone-text octave of scale 0: a in octave 4 is the 440 Hz a (see the header).
constexpr int kFirstOctave = 4;
// Encoder code of c in octave 4, the first note of scale 0.
constexpr int kFirstCode = 66 + 1 + 12 * kFirstOctave;

constexpr auto kNoteNames =
    std::to_array<const char*>({"c", "c#", "d", "d#", "e", "f", "f#", "g", "g#", "a", "a#", "b"});

// The lengths a note can have: 1/2^duration of a whole note, times its specifier's factor.
constexpr std::array kSpecifierFactors = {1.0, 1.5, 1.75, 2.0 / 3.0};
constexpr auto kSpecifierNames = std::to_array<const char*>({"", "dotted ", "double-dotted ", "triplet "});

double OttLength(unsigned duration, unsigned specifier) {
    return kSpecifierFactors[specifier] / static_cast<double>(1U << duration);
}

std::string DescribeLength(unsigned duration, unsigned specifier) {
    return std::string(kSpecifierNames[specifier]) + "1/" + std::to_string(1U << duration);
}

// Warnings of one import or export. A kind of warning that many notes share is given once,
// naming the first note and counting the others, so that a long melody gives a short list.
class WarningList {
public:
    // One occurrence of the kind `key`: "<subject> <one>" for a single one, "<subject> and N
    // more <many>" for several.
    void Add(const std::string& key, std::string subject, std::string one, std::string many) {
        if (const auto found = index_.find(key); found != index_.end()) {
            ++entries_[found->second].count;
            return;
        }
        index_.emplace(key, entries_.size());
        entries_.push_back({std::move(subject), std::move(one), std::move(many), 1});
    }
    // A warning given once, however often it occurs.
    void Once(const std::string& message) { Add(message, message, "", ""); }

    std::vector<std::string> Messages() const {
        std::vector<std::string> messages;
        for (const auto& entry : entries_) {
            if (entry.one.empty()) {
                messages.push_back(entry.subject);
            } else if (entry.count == 1) {
                messages.push_back(entry.subject + " " + entry.one);
            } else {
                messages.push_back(entry.subject + " and " + std::to_string(entry.count - 1) + " more " + entry.many);
            }
        }
        return messages;
    }

private:
    struct Entry {
        std::string subject;
        std::string one;
        std::string many;
        std::size_t count = 0;
    };
    std::vector<Entry> entries_;
    std::map<std::string, std::size_t> index_;
};

// ---------------------------------------------------------------------------------------------
// Bits

// Reads fields of up to 16 bits, most significant bit first; never past the end.
class BitReader {
public:
    explicit BitReader(ByteView bytes) : bytes_(bytes) {}

    std::optional<unsigned> Read(unsigned count) {
        if (bit_ + count > bytes_.size() * 8) {
            return std::nullopt;
        }
        unsigned value = 0;
        for (unsigned i = 0; i < count; ++i, ++bit_) {
            const unsigned byte = bytes_[bit_ / 8];
            value = (value << 1) | ((byte >> (7 - bit_ % 8)) & 1U);
        }
        return value;
    }
    void Align() { bit_ = (bit_ + 7) / 8 * 8; }
    std::size_t Remaining() const { return bytes_.size() - std::min(bytes_.size(), (bit_ + 7) / 8); }

private:
    ByteView bytes_;
    std::size_t bit_ = 0;
};

class BitWriter {
public:
    void Put(unsigned value, unsigned count) {
        for (unsigned i = count; i-- > 0; ++bit_) {
            if (bit_ % 8 == 0) {
                bytes_.push_back(0);
            }
            if (((value >> i) & 1U) != 0) {
                bytes_.back() = static_cast<std::uint8_t>(bytes_.back() | (0x80U >> (bit_ % 8)));
            }
        }
    }
    void Align() { bit_ = bytes_.size() * 8; }
    Bytes Take() { return std::move(bytes_); }

private:
    Bytes bytes_;
    std::size_t bit_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Reading

struct OttInstruction {
    unsigned id = 0;
    unsigned value = 0;
    unsigned duration = 0;   // notes only
    unsigned specifier = 0;  // notes only
};

// A note as it sounds: the instruction with the scale and tempo in force.
struct PlayedNote {
    unsigned value = 0;  // 0 pause, 1-12 c to b
    unsigned scale = 0;
    unsigned duration = 0;
    unsigned specifier = 0;
    int tempo = 0;
};

// Reads fields of the given sizes in bits, one after the other: all of them, or the error that
// the file ends in the middle of `what`.
template <std::size_t N>
Result<std::array<unsigned, N>> Need(BitReader& reader, const std::array<unsigned, N>& counts, const char* what) {
    std::array<unsigned, N> values{};
    for (std::size_t i = 0; i < N; ++i) {
        const auto value = reader.Read(counts[i]);
        if (!value) {
            return MakeError(ErrorCode::DamagedData,
                             std::string("The .ott file ends in the middle of its ") + what + ".");
        }
        values[i] = *value;
    }
    return values;
}

Result<unsigned> Need(BitReader& reader, unsigned count, const char* what) {
    const auto value = Need<1>(reader, {count}, what);
    if (!value) {
        return value.error();
    }
    return value->front();
}

// The size in bits of the value of an instruction other than a note; 0 for an unknown one.
unsigned ValueBits(unsigned id) {
    switch (id) {
    case kScale:
    case kStyle:
        return 2;
    case kTempo:
        return 5;
    case kVolume:
        return 4;
    default:
        return 0;
    }
}

Result<OttInstruction> ReadNote(BitReader& reader) {
    const auto fields = Need<3>(reader, {4, 3, 2}, "notes");
    if (!fields) {
        return fields.error();
    }
    const auto [value, duration, specifier] = *fields;
    if (value > 12) {
        return MakeError(ErrorCode::DamagedData,
                         "The .ott file holds the note value " + std::to_string(value) + ", which is reserved.");
    }
    if (duration > 5) {
        return MakeError(ErrorCode::DamagedData,
                         "The .ott file holds the note duration " + std::to_string(duration) + ", which is reserved.");
    }
    return OttInstruction{kNote, value, duration, specifier};
}

Result<OttInstruction> ReadInstruction(BitReader& reader) {
    const auto id = Need(reader, 3, "instructions");
    if (!id) {
        return id.error();
    }
    if (*id == kNote) {
        return ReadNote(reader);
    }
    if (ValueBits(*id) == 0) {
        return MakeError(ErrorCode::DamagedData,
                         "The .ott file holds an unknown instruction (" + std::to_string(*id) + ") in a pattern.");
    }
    const auto value = Need(reader, ValueBits(*id), "instructions");
    if (!value) {
        return value.error();
    }
    return OttInstruction{*id, *value};
}

struct PlayedSong {
    std::string title;
    std::vector<PlayedNote> notes;
    bool playTwice = false;
    int firstTempo = kOttTempos[kDefaultTempoIndex];  // the tempo at the first note, or the first one given
};

// Plays the instructions of one pattern pass into the song, keeping what the text cannot hold
// as warnings (each kind once).
struct PatternPlayer {
    unsigned scale = kDefaultScale;
    unsigned tempoIndex = kDefaultTempoIndex;
    bool capped = false;
    WarningList* warnings = nullptr;

    void Play(const std::vector<OttInstruction>& pattern, PlayedSong& song) {
        for (const auto& instruction : pattern) {
            switch (instruction.id) {
            case kNote:
                if (song.notes.size() >= kMaxImportedNotes) {
                    capped = true;
                    break;
                }
                if (song.notes.empty()) {
                    song.firstTempo = kOttTempos[tempoIndex];
                }
                song.notes.push_back(
                    {instruction.value, scale, instruction.duration, instruction.specifier, kOttTempos[tempoIndex]});
                break;
            case kScale:
                scale = instruction.value;
                break;
            case kStyle:
                if (instruction.value != 0) {
                    warnings->Once(std::string("The ") + (instruction.value == 1 ? "continuous" : "staccato") +
                                   " style is not kept: the notes play in the natural style.");
                }
                break;
            case kTempo:
                tempoIndex = instruction.value;
                if (song.notes.empty()) {
                    song.firstTempo = kOttTempos[tempoIndex];
                }
                break;
            case kVolume:
                warnings->Once("The volume instructions are not kept: ringtone text has no volume.");
                break;
            default:
                break;
            }
        }
    }
};

struct Pattern {
    unsigned id = 0;
    unsigned loop = 0;
    std::vector<OttInstruction> instructions;
};

// `titleExtra` is added to the 4-bit title length (see ReadOtt); the title must then be
// printable.
Result<void> ReadTitle(BitReader& reader, bool unicode, unsigned titleExtra, PlayedSong& song, WarningList& warnings) {
    const auto titleField = Need(reader, 4, "title");
    if (!titleField) {
        return titleField.error();
    }
    bool unknown = false;
    for (unsigned i = 0; i < *titleField + titleExtra; ++i) {
        const auto character = Need(reader, unicode ? 16U : 8U, "title");
        if (!character) {
            return character.error();
        }
        if (titleExtra > 0 && (*character < 0x20 || *character == 0x7F)) {
            return MakeError(ErrorCode::DamagedData, "The .ott file holds no printable title of this length.");
        }
        unknown = unknown || *character > 0xFF;
        song.title += static_cast<char>(*character > 0xFF ? '?' : *character);
    }
    if (unknown) {
        warnings.Once("The title \"" + song.title +
                      "\" had characters outside Latin-1; they are shown as question marks.");
    }
    return {};
}

// One pattern of the song sequence, its instructions those defined earlier under its id when
// it has none of its own.
Result<Pattern> ReadPattern(BitReader& reader, unsigned number, std::array<std::optional<Pattern>, 4>& defined,
                            WarningList& warnings) {
    const auto header = Need(reader, 3, "pattern headers");
    if (!header) {
        return header.error();
    }
    if (*header != 0) {
        return MakeError(ErrorCode::DamagedData,
                         "The .ott file holds a damaged pattern header (pattern " + std::to_string(number) + ").");
    }
    const auto fields = Need<3>(reader, {2, 4, 8}, "pattern headers");
    if (!fields) {
        return fields.error();
    }
    const auto [id, loop, count] = *fields;
    Pattern pattern{id, loop, {}};
    if (count == 0) {
        // Some writers give an empty song as one pattern of no instructions, which reads as
        // a pattern played again before it was defined: read as empty.
        if (!defined[id]) {
            warnings.Once(std::string("The .ott file plays the pattern ") + static_cast<char>('A' + id) +
                          ", which it never defines: it is read as empty.");
        } else {
            pattern.instructions = defined[id]->instructions;
        }
        return pattern;
    }
    for (unsigned i = 0; i < count; ++i) {
        auto instruction = ReadInstruction(reader);
        if (!instruction) {
            return instruction.error();
        }
        pattern.instructions.push_back(*instruction);
    }
    defined[id] = pattern;
    return pattern;
}

// The patterns played in their sequence, repeats written out.
void PlaySequence(const std::vector<Pattern>& sequence, PlayedSong& song, WarningList& warnings) {
    PatternPlayer player;
    player.warnings = &warnings;
    if (sequence.size() == 1) {
        // A loop on the only pattern repeats the whole song, as the phone repeats a ringtone
        // anyway: one more pass is "suggest playing twice", longer loops are kept as one pass.
        const unsigned loop = sequence.front().loop;
        player.Play(sequence.front().instructions, song);
        song.playTwice = loop == 1 && !song.notes.empty();
        if (loop > 1 && !song.notes.empty()) {
            warnings.Once(loop == kInfiniteLoop
                              ? std::string("The song repeats without end; one pass is kept.")
                              : "The song repeats " + std::to_string(loop) + " more times; one pass is kept.");
        }
    } else {
        for (const auto& pattern : sequence) {
            unsigned passes = pattern.loop + 1;
            if (pattern.loop == kInfiniteLoop) {
                passes = 1;
                warnings.Once(std::string("The pattern ") + static_cast<char>('A' + pattern.id) +
                              " repeats without end; one pass is kept.");
            }
            for (unsigned i = 0; i < passes; ++i) {
                player.Play(pattern.instructions, song);
            }
        }
    }
    if (player.capped) {
        warnings.Once("The song is cut after " + std::to_string(kMaxImportedNotes) + " notes.");
    }
}

Result<void> ReadSong(BitReader& reader, bool titled, bool unicode, unsigned titleExtra, PlayedSong& song,
                      WarningList& warnings) {
    if (titled) {
        if (auto title = ReadTitle(reader, unicode, titleExtra, song, warnings); !title) {
            return title;
        }
    }
    const auto patternCount = Need(reader, 8, "song sequence");
    if (!patternCount) {
        return patternCount.error();
    }
    std::array<std::optional<Pattern>, 4> defined;
    std::vector<Pattern> sequence;
    for (unsigned p = 0; p < *patternCount; ++p) {
        auto pattern = ReadPattern(reader, p + 1, defined, warnings);
        if (!pattern) {
            return pattern.error();
        }
        sequence.push_back(std::move(*pattern));
    }
    PlaySequence(sequence, song, warnings);
    return {};
}

// The text length of an .ott length: exact for plain and dotted notes and for triplets of a
// half note or shorter; the nearest text length for the others.
TextLength ToTextLength(unsigned duration, unsigned specifier, bool& exact) {
    const int fraction = 1 << duration;
    exact = true;
    if (specifier == 0 || specifier == 1) {
        return {fraction, specifier == 1};
    }
    if (specifier == 3 && duration > 0) {
        return {fraction * 3 / 2, false};  // two thirds of 1/n is 1/(1.5 n)
    }
    exact = false;
    return NearestLength(OttLength(duration, specifier), kTextFractions);
}

// The lengths of the notes in ringtone text, warning of those it cannot write.
std::vector<TextLength> TextLengths(const PlayedSong& song, WarningList& warnings) {
    std::vector<TextLength> lengths;
    for (std::size_t i = 0; i < song.notes.size(); ++i) {
        const PlayedNote& note = song.notes[i];
        bool exact = true;
        lengths.push_back(ToTextLength(note.duration, note.specifier, exact));
        if (!exact) {
            const std::string length = DescribeLength(note.duration, note.specifier);
            const std::string becomes =
                (lengths.back().dotted ? "dotted 1/" : "1/") + std::to_string(lengths.back().fraction) + ".";
            warnings.Add(length, "Note " + std::to_string(i + 1),
                         "is a " + length + " note, which ringtone text cannot write: it becomes " + becomes,
                         "are " + length + " notes, which ringtone text cannot write: they become " + becomes);
        }
    }
    return lengths;
}

// The song as a typed melody: the most used length and octave as the defaults, the tempo at
// the first note as the tempo, a tempo change where a note's tempo differs.
melody::Score ToScore(const PlayedSong& song, WarningList& warnings) {
    const std::vector<TextLength> lengths = TextLengths(song, warnings);
    std::vector<int> fractions;
    std::vector<int> octaves;
    for (std::size_t i = 0; i < song.notes.size(); ++i) {
        fractions.push_back(lengths[i].fraction);
        if (song.notes[i].value != 0) {
            octaves.push_back(static_cast<int>(song.notes[i].scale) + kFirstOctave);
        }
    }
    const int defaultFraction = MostUsed(fractions, 4);
    const int defaultOctave = MostUsed(octaves, static_cast<int>(kDefaultScale) + kFirstOctave);
    melody::Score score;
    score.settings.name = song.title;
    score.settings.duration = defaultFraction;
    score.settings.octave = defaultOctave;
    score.settings.tempo = song.firstTempo;
    score.settings.playTwice = song.playTwice;
    int tempo = song.firstTempo;
    for (std::size_t i = 0; i < song.notes.size(); ++i) {
        const PlayedNote& note = song.notes[i];
        if (note.tempo != tempo) {
            tempo = note.tempo;
            score.items.push_back(melody::ScoreItem::TempoChange(tempo));
        }
        const std::optional<int> fraction =
            lengths[i].fraction == defaultFraction ? std::nullopt : std::optional<int>(lengths[i].fraction);
        if (note.value == 0) {
            score.items.push_back(melody::ScoreItem::Pause(fraction, lengths[i].dotted));
            continue;
        }
        const std::string_view name = kNoteNames[note.value - 1];
        const int octave = static_cast<int>(note.scale) + kFirstOctave;
        score.items.push_back(
            melody::ScoreItem::Note(name.front(), name.size() > 1, fraction, lengths[i].dotted,
                                    octave == defaultOctave ? std::nullopt : std::optional<double>(octave)));
    }
    return score;
}

// ---------------------------------------------------------------------------------------------
// Writing

struct Writer {
    std::vector<OttInstruction> instructions;
    WarningList warnings;
    std::optional<unsigned> scale;  // the scale last written, once a note was written
    // The tempo last written, once a note or pause was written
    std::optional<unsigned> tempoIndex;
};

// The table's tempo nearest to a tempo, by ratio.
unsigned NearestTempo(double tempo) {
    tempo = std::clamp(tempo, 1.0, 1e6);  // also infinity
    unsigned best = 0;
    for (unsigned i = 1; i < kOttTempos.size(); ++i) {
        if (std::fabs(std::log(kOttTempos[i] / tempo)) < std::fabs(std::log(kOttTempos[best] / tempo))) {
            best = i;
        }
    }
    return best;
}

// The nearest .ott length (duration, specifier) to a length in whole notes; exact when equal.
// Only lengths that ringtone text can write are chosen (no double dots, no whole-note
// triplets), so that whatever is written here reads back as it was written.
std::pair<unsigned, unsigned> NearestLength(double length, bool& exact) {
    length = std::clamp(length, 1e-6, 1e6);
    std::pair<unsigned, unsigned> best;
    double bestDistance = INFINITY;
    for (unsigned duration = 0; duration <= 5; ++duration) {
        for (const unsigned specifier : {0U, 1U, 3U}) {
            if (duration == 0 && specifier == 3) {
                continue;
            }
            const double distance = std::fabs(std::log(OttLength(duration, specifier) / length));
            if (distance < bestDistance) {
                bestDistance = distance;
                best = {duration, specifier};
            }
        }
    }
    exact = bestDistance < 1e-9;
    return best;
}

// A note or pause to write: its length in whole notes and, for a note, its code, with the
// token it was read from for the messages.
struct NoteToWrite {
    std::string_view token;
    bool pause = false;
    double length = 0;
    double code{};  // a note's; a pause has none
};

// The note instruction of a length, warning when the format has no such length.
OttInstruction LengthInstruction(const NoteToWrite& note, Writer& writer) {
    bool exact = true;
    const auto [duration, specifier] = NearestLength(note.length, exact);
    if (!exact) {
        const std::string kind = note.pause ? "pause " : "note ";
        const std::string becomes = DescribeLength(duration, specifier) + ".";
        writer.warnings.Add(kind + "length " + NumberText(note.length), "The " + kind + QuotedToken(note.token),
                            "has a length the format cannot write: it becomes " + becomes,
                            "have a length the format cannot write: they become " + becomes);
    }
    return {kNote, 0, duration, specifier};
}

// The scale of a note's code and its value in that scale, moved by whole octaves into the
// four scales the format has, with a warning.
std::pair<unsigned, unsigned> ScaleAndValue(const NoteToWrite& note, Writer& writer) {
    const double semitone = note.code - kFirstCode;
    const double octaveIndex = std::floor(semitone / 12);
    const double clamped = std::clamp(octaveIndex, 0.0, 3.0);
    if (clamped != octaveIndex) {
        const auto moved = static_cast<long long>(std::fabs(clamped - octaveIndex));
        const std::string where =
            std::string(octaveIndex < 0 ? "below" : "above") + " the four octaves of the format: ";
        const std::string move =
            std::to_string(moved) + (moved == 1 ? " octave " : " octaves ") + (octaveIndex < 0 ? "up." : "down.");
        writer.warnings.Add("octave " + move, "The note " + QuotedToken(note.token),
                            "lies " + where + "it is moved " + move, "lie " + where + "they are moved " + move);
    }
    return {static_cast<unsigned>(clamped), static_cast<unsigned>(semitone - 12 * octaveIndex) + 1};
}

// A note or pause at a tempo, with the tempo and scale instructions it needs before it.
void WriteNote(const NoteToWrite& note, double tempo, Writer& writer) {
    OttInstruction instruction = LengthInstruction(note, writer);
    std::optional<unsigned> scale;
    if (!note.pause) {
        std::tie(scale, instruction.value) = ScaleAndValue(note, writer);
    }
    const unsigned tempoIndex = NearestTempo(tempo);
    if (kOttTempos[tempoIndex] != tempo) {
        writer.warnings.Once("The tempo " + NumberText(tempo) + " is not one the format has: it becomes " +
                             std::to_string(kOttTempos[tempoIndex]) + ".");
    }
    if (!writer.tempoIndex) {
        // The first note or pause: the song's scale, style and tempo in front of it. Pauses
        // have no scale; the song's scale is that of its first note, set when it comes.
        writer.instructions.push_back({kScale, kDefaultScale});
        writer.instructions.push_back({kStyle, 0});
        writer.instructions.push_back({kTempo, tempoIndex});
        writer.tempoIndex = tempoIndex;
    }
    if (tempoIndex != *writer.tempoIndex) {
        writer.instructions.push_back({kTempo, tempoIndex});
        writer.tempoIndex = tempoIndex;
    }
    if (scale && !writer.scale) {
        writer.instructions.front().value = *scale;
        writer.scale = scale;
    } else if (scale && scale != writer.scale) {
        writer.instructions.push_back({kScale, *scale});
        writer.scale = scale;
    }
    writer.instructions.push_back(instruction);
}

Result<void> WriteItem(const melody::ScoreItem& item, const melody::ScoreSettings& settings, double& tempo,
                       Writer& writer) {
    switch (item.kind) {
    case melody::ItemKind::Tempo:
        tempo = item.tempo;
        return {};
    case melody::ItemKind::Vibration:
        writer.warnings.Once("The vibration tags are dropped: the format has no vibration.");
        return {};
    case melody::ItemKind::Other:
        return {};  // the token counts for nothing, as in the tone encoder
    case melody::ItemKind::Note:
    case melody::ItemKind::Pause:
        break;
    }
    const bool pause = item.kind == melody::ItemKind::Pause;
    const double fraction = item.fraction ? *item.fraction : settings.duration;
    const std::string kind = pause ? "pause " : "note ";
    if (!(fraction > 0)) {
        return MakeError(ErrorCode::BadInput, "The " + kind + QuotedToken(item.text) +
                                                  " cannot be timed: its duration is not a positive number.");
    }
    if (!(tempo > 0)) {
        return MakeError(ErrorCode::BadInput, "The " + kind + QuotedToken(item.text) +
                                                  " cannot be timed: the tempo is not a positive number.");
    }
    NoteToWrite written{item.text, pause, (item.dotted ? 1.5 : 1.0) / fraction};  // a note sets its code below
    if (!pause) {
        written.code = formats::RoundHalfEven(*melody::NoteCode(item, settings.octave));
        if (!(written.code >= 0 && written.code <= 255)) {
            // The tone encoder refuses these too: no phone code exists for them.
            return MakeError(ErrorCode::BadInput, "The note " + QuotedToken(item.text) + " gives the code " +
                                                      NumberText(written.code) +
                                                      (written.code > 255 ? ", above 255: its octave is too high."
                                                                          : ", below 0: its octave is too low."));
        }
    }
    WriteNote(written, tempo, writer);
    return {};
}

void PutInstruction(BitWriter& bits, const OttInstruction& instruction) {
    bits.Put(instruction.id, 3);
    if (instruction.id == kNote) {
        bits.Put(instruction.value, 4);
        bits.Put(instruction.duration, 3);
        bits.Put(instruction.specifier, 2);
    } else {
        bits.Put(instruction.value, ValueBits(instruction.id));
    }
}

// What the format has no place for among the settings.
void WarnDropped(const melody::ScoreSettings& settings, WarningList& warnings) {
    if (const double staccato = settings.staccato; staccato > 0) {
        warnings.Once("The staccato length " + NumberText(staccato) + " is dropped: the format has none.");
    }
    // The default delay of one unit (1/120 s) is no audible loss.
    if (const double delay = settings.delay; delay > 1) {
        warnings.Once("The delay of " + NumberText(delay) + " units is dropped: the format has none.");
    }
    if (settings.forceOnePlay) {
        warnings.Once("\"Force one play\" is dropped: the format has no such setting.");
    }
}

// The file of a song: its title and the instructions in as many patterns as they need.
Result<OttExport> PutSong(const std::string& title, bool loopOnce, Writer& writer) {
    const std::size_t patternCount =
        std::max<std::size_t>(1, (writer.instructions.size() + kMaxPatternInstructions - 1) / kMaxPatternInstructions);
    if (patternCount > kMaxPatterns) {
        return MakeError(ErrorCode::Limit, "The melody needs " + std::to_string(writer.instructions.size()) +
                                               " instructions: an .ott file holds at most " +
                                               std::to_string(kMaxPatterns * kMaxPatternInstructions) + ".");
    }
    if (loopOnce && patternCount > 1) {
        writer.warnings.Once("\"Suggest playing twice\" is dropped: the melody takes more than one pattern.");
    }
    BitWriter bits;
    bits.Put(2, 8);  // ringing-tone programming and sound
    bits.Put(kRingingToneProgramming, 7);
    bits.Align();
    bits.Put(kSound, 7);
    bits.Put(kBasicSong, 3);
    bits.Put(static_cast<unsigned>(title.size()), 4);
    for (const char c : title) {
        bits.Put(static_cast<unsigned char>(c), 8);
    }
    bits.Put(static_cast<unsigned>(patternCount), 8);
    for (std::size_t p = 0; p < patternCount; ++p) {
        const std::size_t first = p * kMaxPatternInstructions;
        const std::size_t count = std::min(kMaxPatternInstructions, writer.instructions.size() - first);
        bits.Put(0, 3);
        bits.Put(static_cast<unsigned>(p % 4), 2);
        bits.Put(loopOnce && patternCount == 1 ? 1 : 0, 4);
        bits.Put(static_cast<unsigned>(count), 8);
        for (std::size_t i = first; i < first + count; ++i) {
            PutInstruction(bits, writer.instructions[i]);
        }
    }
    bits.Align();
    bits.Put(0, 8);  // command end
    return OttExport{bits.Take(), writer.warnings.Messages()};
}

// The command parts up to the song's end: the Unicode part, then the song itself.
Result<void> ReadCommands(BitReader& reader, unsigned titleExtra, PlayedSong& song, WarningList& warnings) {
    const auto commandCount = Need(reader, 8, "command parts");
    if (!commandCount) {
        return commandCount.error();
    }
    bool unicode = false;
    bool sounded = false;
    for (unsigned i = 0; i < *commandCount; ++i) {
        const auto command = Need(reader, 7, "command parts");
        if (!command) {
            return command.error();
        }
        if (*command == kRingingToneProgramming || *command == kUnicode) {
            unicode = unicode || *command == kUnicode;
            reader.Align();
            continue;
        }
        if (*command != kSound) {
            return MakeError(ErrorCode::DamagedData,
                             "The .ott file holds an unknown command part (" + std::to_string(*command) + ").");
        }
        if (sounded) {
            return MakeError(ErrorCode::DamagedData, "The .ott file holds more than one song.");
        }
        sounded = true;
        const auto songType = Need(reader, 3, "song type");
        if (!songType) {
            return songType.error();
        }
        if (*songType != kBasicSong && *songType != kTemporarySong) {
            return MakeError(ErrorCode::BadInput, "The .ott file holds a song of type " + std::to_string(*songType) +
                                                      " (MIDI, digitized or polyphonic), not ringtone notes.");
        }
        if (auto read = ReadSong(reader, *songType == kBasicSong, unicode, titleExtra, song, warnings); !read) {
            return read;
        }
        reader.Align();
    }
    if (!sounded) {
        return MakeError(ErrorCode::DamagedData, "The .ott file holds no song.");
    }
    return {};
}

Result<OttImport> Parse(ByteView bytes, unsigned titleExtra) {
    BitReader reader(bytes);
    WarningList warnings;
    PlayedSong song;
    if (auto read = ReadCommands(reader, titleExtra, song, warnings); !read) {
        return read.error();
    }
    const auto end = Need(reader, 8, "command end");
    if (!end) {
        return end.error();
    }
    if (*end != 0) {
        return MakeError(ErrorCode::DamagedData, "The .ott file does not close with a command end.");
    }
    if (const std::size_t extra = reader.Remaining(); extra > 0) {
        warnings.Once("The " + std::to_string(extra) + (extra == 1 ? " byte" : " bytes") +
                      " after the end of the ringtone are ignored.");
    }
    melody::Score score = ToScore(song, warnings);
    // The notes of an .ott import are written with commas between them.
    return ImportOf(std::move(score), warnings.Messages(), ',');
}

}  // namespace

Result<OttImport> ReadOtt(ByteView bytes) {
    if (!LooksLikeOtt(bytes)) {
        return MakeError(ErrorCode::BadInput,
                         "This is not a Smart Messaging ringtone: it does not begin with a ringing-tone command.");
    }
    auto result = Parse(bytes, 0);
    if (result || result.error().code != ErrorCode::DamagedData) {
        return result;
    }
    // Some writers put a title of more than 15 characters with only the low four bits of its
    // length in the length field. When the file does not read as it stands, a longer printable
    // title that makes the rest of the file read is taken, with a warning.
    for (unsigned extra = 16; extra < 256; extra += 16) {
        if (auto longer = Parse(bytes, extra)) {
            longer->warnings.insert(longer->warnings.begin(),
                                    "The title length field gives " +
                                        std::to_string(longer->fields.name.size() - extra) + ", but the title has " +
                                        std::to_string(longer->fields.name.size()) + " characters: read as written.");
            return longer;
        }
    }
    return result;
}

Result<OttExport> WriteOtt(const melody::Score& score) {
    const melody::ScoreSettings& settings = score.settings;
    Writer writer;
    std::string title = settings.name;
    if (title.size() > kOttMaxTitle) {
        title.resize(kOttMaxTitle);
        writer.warnings.Once("The name is cut to its first " + std::to_string(kOttMaxTitle) + " characters, \"" +
                             title + "\": a title holds no more.");
    }
    double tempo = settings.tempo;
    for (const melody::ScoreItem& item : score.items) {
        if (auto written = WriteItem(item, settings, tempo, writer); !written) {
            return written.error();
        }
    }
    // A loop plays the notes twice; a song without notes has nothing to play twice.
    const bool loopOnce = settings.playTwice && writer.tempoIndex.has_value();
    if (!writer.tempoIndex) {
        // No notes: the settings alone, so that the tempo comes back on reading.
        writer.instructions.push_back({kScale, kDefaultScale});
        writer.instructions.push_back({kStyle, 0});
        writer.instructions.push_back({kTempo, NearestTempo(tempo > 0 ? tempo : kOttTempos[kDefaultTempoIndex])});
    }
    WarnDropped(settings, writer.warnings);
    return PutSong(title, loopOnce, writer);
}

Result<OttExport> WriteOtt(const melody::MelodyFields& fields) {
    return WriteOtt(melody::ReadScore(fields));
}

bool LooksLikeOtt(ByteView bytes) {
    if (bytes.size() < 3 || bytes[0] < 1 || bytes[0] > 15 || (bytes[1] & 0xFEU) != kRingingToneProgramming << 1) {
        return false;
    }
    const unsigned next = bytes[2] >> 1;
    return next == kSound || next == kUnicode;
}

}  // namespace belltower::interchange
