// SPDX-License-Identifier: GPL-3.0-or-later
#include "interchange/midi.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <set>

#include "formats/bytes.h"
#include "formats/tone_commands.h"
#include "interchange/most_used.h"
#include "melody/tone_decoder.h"
#include "melody/tone_encoder.h"

namespace belltower::interchange {
namespace {

using formats::Bytes, formats::ByteView, formats::ErrorCode, formats::MakeError, formats::Result;

constexpr int kTicksPerQuarter = 480;
constexpr int kMidiOffset = 55;  // MIDI note = code - 55: code 0x7C is note 69
constexpr double kDefaultTempo = 125;
constexpr std::uint8_t kVelocity = 100;
constexpr int kMaxTracks = 1024;

// ---- Writing ----------------------------------------------------------------------------------

void PutBig(Bytes& out, std::uint32_t value, int size) {
    for (int i = size - 1; i >= 0; --i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

void PutVarLen(Bytes& out, std::uint32_t value) {
    std::array<std::uint8_t, 5> bytes{};
    std::size_t count = 0;
    do {
        bytes[count++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 0) {
        --count;
        out.push_back(static_cast<std::uint8_t>(bytes[count] | (count > 0 ? 0x80 : 0x00)));
    }
}

class TrackWriter {
public:
    void Event(std::uint64_t tick, std::initializer_list<std::uint8_t> bytes) {
        PutVarLen(track_, static_cast<std::uint32_t>(tick - now_));
        now_ = tick;
        track_.insert(track_.end(), bytes.begin(), bytes.end());
    }
    void Tempo(std::uint64_t tick, double bpm) {
        const auto micros = static_cast<std::uint32_t>(std::lround(60'000'000.0 / bpm));
        Event(tick, {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(micros >> 16), static_cast<std::uint8_t>(micros >> 8),
                     static_cast<std::uint8_t>(micros)});
    }
    void Name(const std::string& name) {
        PutVarLen(track_, 0);
        track_.push_back(0xFF);
        track_.push_back(0x03);
        PutVarLen(track_, static_cast<std::uint32_t>(name.size()));
        track_.insert(track_.end(), name.begin(), name.end());
    }
    Bytes Finish(std::uint64_t tick) {
        Event(tick, {0xFF, 0x2F, 0x00});
        Bytes file = formats::ToBytes("MThd");
        PutBig(file, 6, 4);
        PutBig(file, 0, 2);  // format 0
        PutBig(file, 1, 2);  // one track
        PutBig(file, kTicksPerQuarter, 2);
        formats::Append(file, formats::ToBytes("MTrk"));
        PutBig(file, static_cast<std::uint32_t>(track_.size()), 4);
        formats::Append(file, track_);
        return file;
    }

private:
    Bytes track_;
    std::uint64_t now_ = 0;
};

std::uint8_t MidiNote(std::uint8_t code) {
    int note = int{code} - kMidiOffset;
    while (note > 127) {
        note -= 12;
    }
    while (note < 0) {
        note += 12;
    }
    return static_cast<std::uint8_t>(note);
}

// ---- Reading ----------------------------------------------------------------------------------

// The one bounds-checked cursor over the file: every read says whether the bytes were there.
class Cursor {
public:
    Cursor(ByteView bytes, std::size_t begin, std::size_t end) : bytes_(bytes), pos_(begin), end_(end) {}

    bool AtEnd() const { return pos_ >= end_; }
    std::size_t Position() const { return pos_; }
    std::optional<std::uint8_t> Byte() {
        if (pos_ >= end_) {
            return std::nullopt;
        }
        return bytes_[pos_++];
    }
    std::optional<std::uint32_t> Big(std::size_t size) {
        if (!Skip(size)) {
            return std::nullopt;
        }
        return formats::BigEndianAt(bytes_, pos_ - size, size);
    }
    // A varlen number; nothing when cut short or longer than 4 bytes.
    std::optional<std::uint32_t> VarLen() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const auto byte = Byte();
            if (!byte) {
                return std::nullopt;
            }
            value = (value << 7) | (*byte & 0x7Fu);
            if ((*byte & 0x80) == 0) {
                return value;
            }
        }
        return std::nullopt;
    }
    bool Skip(std::size_t count) {
        if (count > end_ - pos_) {
            return false;
        }
        pos_ += count;
        return true;
    }
    ByteView Take(std::size_t count) { return bytes_.subspan(pos_ - count, count); }

private:
    ByteView bytes_;
    std::size_t pos_;
    std::size_t end_;
};

struct Note {
    std::uint64_t on = 0;
    std::uint64_t off = 0;
    int key = 0;
    std::size_t order = 0;  // to tell notes of equal key apart
};

// The notes of every track read, on one time line.
struct TrackNotes {
    std::vector<Note> notes;
    std::map<std::uint64_t, std::uint32_t> tempos;  // tick -> microseconds per quarter
    std::string name;
    bool drums = false;
    std::uint64_t end = 0;
};

formats::Error Damaged(const std::string& what) {
    return MakeError(ErrorCode::DamagedData, "The MIDI file is damaged: " + what);
}

std::string At(std::size_t offset) {
    return " at byte " + std::to_string(offset) + ".";
}

// A meta or system exclusive event, its status byte read: the tempo, the first track name and
// the end of the track are kept. False at the end of the track.
Result<bool> ReadMetaEvent(Cursor& cursor, std::uint8_t kind, std::uint64_t tick, const std::string& where,
                           std::size_t eventStart, TrackNotes& song) {
    std::optional<std::uint8_t> type;
    if (kind == 0xFF) {
        type = cursor.Byte();
    }
    const auto length = (kind != 0xFF || type) ? cursor.VarLen() : std::nullopt;
    if (!length || !cursor.Skip(*length)) {
        return Damaged("an event runs past the end of " + where + At(eventStart));
    }
    const ByteView data = cursor.Take(*length);
    if (type == 0x51 && data.size() >= 3) {
        const std::uint32_t micros = formats::BigEndianAt(data, 0, 3);
        if (micros > 0) {
            song.tempos[tick] = micros;
        }
    } else if (type == 0x03 && song.name.empty()) {
        song.name = formats::ToText(data);
    }
    return type != 0x2F;
}

// The notes sounding on each channel and key: indexes into TrackNotes::notes, oldest first.
using Sounding = std::map<std::pair<int, int>, std::vector<std::size_t>>;

// A channel event, its status known and its first data byte read when it came by running
// status. Notes on and off are kept; drum notes only noted.
Result<void> ReadChannelEvent(Cursor& cursor, std::uint8_t kind, std::optional<std::uint8_t> data1, std::uint64_t tick,
                              const std::string& where, std::size_t eventStart, Sounding& sounding, TrackNotes& song) {
    const int channel = kind & 0x0F;
    const int command = kind & 0xF0;
    const int dataCount = (command == 0xC0 || command == 0xD0) ? 1 : 2;
    std::array<std::uint8_t, 2> data{};
    for (int i = 0; i < dataCount; ++i) {
        const auto byte = (i == 0 && data1) ? data1 : cursor.Byte();
        if (!byte) {
            return Damaged("the " + where + " ends inside an event" + At(eventStart));
        }
        data[static_cast<std::size_t>(i)] = *byte & 0x7F;
    }
    const bool noteOn = command == 0x90 && data[1] > 0;
    const bool noteOff = command == 0x80 || (command == 0x90 && data[1] == 0);
    if ((noteOn || noteOff) && channel == 9) {
        song.drums = true;
        return {};
    }
    auto& open = sounding[{channel, data[0]}];
    if (noteOn) {
        open.push_back(song.notes.size());
        song.notes.push_back({tick, tick, data[0], song.notes.size()});
    } else if (noteOff && !open.empty()) {
        song.notes[open.front()].off = tick;
        open.erase(open.begin());
    }
    return {};
}

Result<void> ReadTrack(ByteView bytes, std::size_t begin, std::size_t end, int track, TrackNotes& song) {
    Cursor cursor(bytes, begin, end);
    std::uint64_t tick = 0;
    std::uint8_t status = 0;
    Sounding sounding;
    const std::string where = "track " + std::to_string(track + 1);
    while (!cursor.AtEnd()) {
        const std::size_t eventStart = cursor.Position();
        const auto delta = cursor.VarLen();
        if (!delta) {
            return Damaged("the " + where + " ends inside a delta time" + At(eventStart));
        }
        tick += *delta;
        auto first = cursor.Byte();
        if (!first) {
            return Damaged("the " + where + " ends after a delta time" + At(eventStart));
        }
        std::optional<std::uint8_t> data1;
        if (*first < 0x80) {
            if (status == 0) {
                return Damaged("running status with no status byte before it in " + where + At(eventStart));
            }
            data1 = *first;
        } else if (*first < 0xF0) {
            status = *first;
        }
        const std::uint8_t kind = *first < 0x80 ? status : *first;
        if (kind == 0xFF || kind == 0xF0 || kind == 0xF7) {
            const auto more = ReadMetaEvent(cursor, kind, tick, where, eventStart, song);
            if (!more) {
                return more.error();
            }
            if (!*more) {
                break;
            }
        } else if (auto read = ReadChannelEvent(cursor, kind, data1, tick, where, eventStart, sounding, song); !read) {
            return read;
        }
    }
    for (auto& [key, open] : sounding) {
        for (const std::size_t index : open) {
            song.notes[index].off = tick;  // a note still sounding ends with its track
        }
    }
    song.end = std::max(song.end, tick);
    return {};
}

// One stretch of the single voice: a note (key) or a rest (key -1), in ticks.
struct Stretch {
    std::uint64_t from = 0;
    std::uint64_t to = 0;
    int key = -1;
    std::size_t order = 0;
};

// The highest sounding note at every moment.
// Rests before the first note and after the last, up to the end of the tracks, are kept.
std::vector<Stretch> OneVoice(std::vector<Note> notes, std::uint64_t end, bool& overlapped) {
    std::vector<std::uint64_t> times = {0, end};
    for (const Note& note : notes) {
        if (note.off > note.on) {
            times.push_back(note.on);
            times.push_back(note.off);
        }
    }
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    std::sort(notes.begin(), notes.end(), [](const Note& a, const Note& b) { return a.on < b.on; });
    std::set<std::pair<int, std::size_t>> active;  // (key, order)
    std::multimap<std::uint64_t, std::pair<int, std::size_t>> ends;
    std::vector<Stretch> stretches;
    std::size_t next = 0;
    for (std::size_t t = 0; t + 1 < times.size(); ++t) {
        const std::uint64_t now = times[t];
        while (!ends.empty() && ends.begin()->first <= now) {
            active.erase(ends.begin()->second);
            ends.erase(ends.begin());
        }
        while (next < notes.size() && notes[next].on <= now) {
            if (notes[next].off > now) {
                active.insert({notes[next].key, notes[next].order});
                ends.insert({notes[next].off, {notes[next].key, notes[next].order}});
            }
            ++next;
        }
        overlapped = overlapped || active.size() > 1;
        Stretch stretch{now, times[t + 1], -1, 0};
        if (!active.empty()) {
            stretch.key = active.rbegin()->first;
            stretch.order = active.rbegin()->second;
        }
        if (!stretches.empty() && stretches.back().key == stretch.key && stretches.back().order == stretch.order &&
            stretches.back().to == stretch.from) {
            stretches.back().to = stretch.to;
        } else {
            stretches.push_back(stretch);
        }
    }
    return stretches;
}

// Note lengths in sixty-fourth notes, longest first, with their fraction and dot.
struct Length {
    int units;
    int fraction;
    bool dotted;
};
constexpr std::array<Length, 13> kLengths = {{{96, 1, true},
                                              {64, 1, false},
                                              {48, 2, true},
                                              {32, 2, false},
                                              {24, 4, true},
                                              {16, 4, false},
                                              {12, 8, true},
                                              {8, 8, false},
                                              {6, 16, true},
                                              {4, 16, false},
                                              {3, 32, true},
                                              {2, 32, false},
                                              {1, 64, false}}};
constexpr double kGridPerQuarter = 16;

struct Piece {
    int code = formats::tone::kPause;  // a rest
    Length length{};
    std::optional<int> tempo;  // a tempo tag before it
};

double Bpm(std::uint32_t micros) {
    return 60'000'000.0 / micros;
}

struct MidiHeader {
    std::uint32_t length = 0;
    std::uint32_t format = 0;
    std::uint32_t division = 0;
};

Result<MidiHeader> ReadHeader(ByteView bytes) {
    if (!LooksLikeMidi(bytes)) {
        return MakeError(ErrorCode::BadInput, "This is not a MIDI file: it does not start with \"MThd\".");
    }
    if (!MidiHeaderFits(bytes)) {
        return Damaged("its header chunk is cut short.");
    }
    Cursor header(bytes, 4, bytes.size());
    const auto headerLength = header.Big(4);
    const auto format = header.Big(2);
    const auto tracks = header.Big(2);
    const auto division = header.Big(2);
    if (!format || !tracks || !division) {
        return Damaged("its header chunk is cut short.");
    }
    if (*format > 2) {
        return MakeError(ErrorCode::BadInput, "The MIDI file has the unknown format " + std::to_string(*format) + ".");
    }
    if (*division == 0 || ((*division & 0x8000) != 0 && (*division & 0xFF) == 0)) {
        return MakeError(ErrorCode::BadInput, "The MIDI file gives a division of 0 ticks: its notes have no length.");
    }
    return MidiHeader{*headerLength, *format, *division};
}

// Every track chunk (of format 2 only the first), other chunks skipped.
Result<void> ReadTracks(ByteView bytes, const MidiHeader& header, TrackNotes& song,
                        std::vector<std::string>& warnings) {
    std::size_t pos = 8 + header.length;
    int trackCount = 0;
    while (pos < bytes.size() && trackCount < kMaxTracks) {
        Cursor chunk(bytes, pos, bytes.size());
        const auto type = chunk.Big(4);
        const auto length = chunk.Big(4);
        if (!type || !length) {
            return Damaged("a chunk header is cut short" + At(pos));
        }
        const std::size_t begin = pos + 8;
        if (*length > bytes.size() - begin) {
            return Damaged("a chunk says it is " + std::to_string(*length) + " bytes long, past the end of the file" +
                           At(pos));
        }
        if (*type == 0x4D54726B) {  // "MTrk"
            if (!(header.format == 2 && trackCount > 0)) {
                if (auto read = ReadTrack(bytes, begin, begin + *length, trackCount, song); !read) {
                    return read;
                }
            }
            ++trackCount;
        }
        pos = begin + *length;
    }
    if (trackCount == 0) {
        return Damaged("it holds no track.");
    }
    if (trackCount == kMaxTracks && pos < bytes.size()) {
        warnings.emplace_back("Only the first " + std::to_string(kMaxTracks) +
                              " tracks are read; the rest of the file is left out.");
    }
    if (header.format == 2 && trackCount > 1) {
        warnings.emplace_back("Only the first of the " + std::to_string(trackCount) + " independent patterns is read.");
    }
    if (song.drums) {
        warnings.emplace_back("The drum notes (channel 10) are left out.");
    }
    return {};
}

// What the imported melody may hold: the preview's ten minutes at the tempo the text plays,
// and no more notes and pauses than tone data of 65,535 bytes can hold. The file's numbers
// (a gap of 2^28 ticks, a tempo of 1 microsecond) never make the work larger than that.
class Budget {
public:
    // How many of `units` sixty-fourth notes at `bpm` still fit; cut says where, when not all.
    long long Fit(long long units, int bpm, std::uint64_t fromTick, double ticksPerUnit) {
        const double perUnit = 60.0 / (kGridPerQuarter * bpm);
        const double room = std::floor((kMaxSeconds - seconds_) / perUnit);
        if (static_cast<double>(units) > room) {
            units = static_cast<long long>(std::max(room, 0.0));
            Cut("The melody plays longer than ten minutes; it is cut at 10:00",
                fromTick + static_cast<std::uint64_t>(static_cast<double>(units) * ticksPerUnit));
        }
        seconds_ += static_cast<double>(units) * perUnit;
        return units;
    }
    // Whether one more piece fits.
    bool TakePiece(std::uint64_t tick) {
        if (pieces_ == kMaxPieces) {
            // This comes before any ten-minute cut of the same stretch: it is the one that counts.
            warning_.reset();
            Cut("The melody has more notes and pauses than tone data of 65,535 bytes can hold; it is cut", tick);
            return false;
        }
        ++pieces_;
        return true;
    }
    bool Full() const { return warning_.has_value(); }
    const std::optional<std::string>& Warning() const { return warning_; }

private:
    static constexpr double kMaxSeconds = 600;
    // A piece is a note and the small pause after it (4 bytes); ten minutes of 125-unit
    // commands add 576 more. 16,000 pieces stay inside 65,535 bytes of tone data.
    static constexpr std::size_t kMaxPieces = 16000;

    void Cut(const std::string& what, std::uint64_t tick) {
        if (!warning_) {
            warning_ = what + ", at tick " + std::to_string(tick) + " of the file.";
        }
    }

    double seconds_ = 0;
    std::size_t pieces_ = 0;
    std::optional<std::string> warning_;
};

struct PieceList {
    std::vector<Piece> pieces;
    Budget budget;
    bool rounded = false;   // a note more than a quarter of a sixty-fourth off the grid
    bool dropped = false;   // a note too short for the grid
    bool tied = false;      // a note written as several pieces
    bool repeated = false;  // a note following one of the same key
};

// One stretch cut into the longest note lengths that add up to its units, the pending tempo
// tag before the first, as far as the budget allows.
void AddPieces(const Stretch& stretch, long long units, double ticksPerUnit, std::optional<int>& pendingTempo,
               int& currentBpm, PieceList& list) {
    const int code = stretch.key < 0 ? formats::tone::kPause : stretch.key + kMidiOffset;
    bool first = true;
    units = list.budget.Fit(units, pendingTempo.value_or(currentBpm), stretch.from, ticksPerUnit);
    const long long stretchUnits = units;
    while (units > 0 &&
           list.budget.TakePiece(
               stretch.from + static_cast<std::uint64_t>(static_cast<double>(stretchUnits - units) * ticksPerUnit))) {
        const Length length =
            *std::find_if(kLengths.begin(), kLengths.end(), [&](const Length& l) { return l.units <= units; });
        Piece piece{code, length, std::nullopt};
        if (first && pendingTempo) {
            piece.tempo = pendingTempo;
            currentBpm = *pendingTempo;
            pendingTempo.reset();
        }
        list.tied = list.tied || (!first && stretch.key >= 0);
        first = false;
        list.pieces.push_back(piece);
        units -= length.units;
    }
}

// The single voice as note lengths in sixty-fourth notes. The first tempo is the melody's;
// every later change becomes a tag before the next note.
PieceList ToPieces(const std::vector<Stretch>& stretches, const std::map<std::uint64_t, std::uint32_t>& tempos,
                   double ticksPerQuarter, double firstBpm) {
    PieceList list;
    auto tempo = tempos.empty() ? tempos.end() : std::next(tempos.begin());
    int currentBpm = static_cast<int>(std::lround(firstBpm));
    std::optional<int> pendingTempo;
    int lastKey = -1;
    for (const Stretch& stretch : stretches) {
        if (list.budget.Full()) {
            break;
        }
        while (tempo != tempos.end() && tempo->first <= stretch.from) {
            const int bpm = static_cast<int>(std::lround(Bpm(tempo->second)));
            pendingTempo = bpm == currentBpm ? std::nullopt : std::optional<int>(bpm);
            ++tempo;
        }
        // Each length is rounded on its own: files of other tools are rarely on the grid to the
        // tick, and Belltower's own carry the phone's 1/120 s steps. More than a quarter of a
        // sixty-fourth note off is worth a word; rests too short for the grid are the breaks
        // between repeated notes, which the encoder puts back by itself.
        // Far beyond any budget, and inside what llround can hold.
        constexpr double kBeyondAnyBudget = 1e15;
        const double exact = std::min(
            static_cast<double>(stretch.to - stretch.from) / ticksPerQuarter * kGridPerQuarter, kBeyondAnyBudget);
        const long long units = std::llround(exact);
        list.rounded = list.rounded || (stretch.key >= 0 && std::fabs(exact - static_cast<double>(units)) > 0.25);
        // A rest under 1/40 s is the break the phone makes between repeated notes.
        const double seconds = exact / kGridPerQuarter * 60.0 / currentBpm;
        if (units <= 0 || (stretch.key < 0 && seconds < 0.025)) {
            list.dropped = list.dropped || stretch.key >= 0;
            continue;
        }
        list.repeated = list.repeated || (stretch.key >= 0 && stretch.key == lastKey);
        lastKey = stretch.key;
        AddPieces(stretch, units, ticksPerQuarter / kGridPerQuarter, pendingTempo, currentBpm, list);
    }
    return list;
}

// A piece as an item of the melody: the fraction unless it is the default, the note and its
// octave unless it is the default (moved by octaves into the range a token can name).
melody::ScoreItem PieceItem(const Piece& piece, int duration, int octave, bool& outOfRange) {
    const std::optional<int> fraction =
        piece.length.fraction == duration ? std::nullopt : std::optional<int>(piece.length.fraction);
    if (piece.code == formats::tone::kPause) {
        return melody::ScoreItem::Pause(fraction, piece.length.dotted);
    }
    int code = piece.code;
    while (code < 79) {  // octave 1 is the lowest a token can name
        code += 12;
        outOfRange = true;
    }
    while (code > 0xFF) {
        code -= 12;
        outOfRange = true;
    }
    const melody::NoteName name = melody::NameOfCode(static_cast<std::uint8_t>(code));
    return melody::ScoreItem::Note(name.letter, name.sharp, fraction, piece.length.dotted,
                                   name.octave == octave ? std::nullopt : std::optional<double>(name.octave));
}

// The pieces as a typed melody over the defaults that most notes share.
melody::Score ToScore(const PieceList& list, std::vector<std::string>& warnings) {
    std::vector<int> fractions;
    std::vector<int> octaves;
    for (const Piece& piece : list.pieces) {
        fractions.push_back(piece.length.fraction);
        if (piece.code != formats::tone::kPause) {
            octaves.push_back(melody::NameOfCode(static_cast<std::uint8_t>(piece.code)).octave);
        }
    }
    const int duration = MostUsed(fractions, 4);
    const int octave = std::max(1, MostUsed(octaves, 5));
    melody::Score score;
    score.settings.duration = duration;
    score.settings.octave = octave;
    score.settings.delay = 0;
    // Tied pieces sound as one note only without the small pauses between equal notes.
    score.settings.noSmallPauses = list.tied && !list.repeated;
    if (list.tied && list.repeated) {
        warnings.emplace_back("Tied notes are written as repeated notes with a short break between them.");
    }
    bool outOfRange = false;
    for (const Piece& piece : list.pieces) {
        if (piece.tempo) {
            score.items.push_back(melody::ScoreItem::TempoChange(*piece.tempo));
        }
        score.items.push_back(PieceItem(piece, duration, octave, outOfRange));
    }
    if (outOfRange) {
        warnings.emplace_back("Notes below octave 1 or above the highest tone code are moved by octaves.");
    }
    return score;
}

}  // namespace

bool MidiHeaderFits(ByteView bytes) {
    constexpr std::size_t kHeaderStart = 8;
    constexpr std::uint32_t kShortestHeader = 6;
    if (bytes.size() < kHeaderStart + kShortestHeader) {
        return false;
    }
    const std::uint32_t length = formats::BigEndianAt(bytes, 4);
    return length >= kShortestHeader && length <= bytes.size() - kHeaderStart;
}

bool LooksLikeMidi(ByteView bytes) {
    static constexpr std::array<std::uint8_t, 4> kMagic = {'M', 'T', 'h', 'd'};
    return bytes.size() >= 4 && std::equal(kMagic.begin(), kMagic.end(), bytes.begin());
}

Result<Bytes> WriteMidi(const melody::Timeline& timeline, const std::string& name) {
    TrackWriter writer;
    if (!name.empty()) {
        writer.Name(name);
    }
    // Ticks are counted from the start of the stretch at one tempo, so rounding never adds up.
    double tempo = -1;
    std::uint64_t stretchTick = 0;
    std::uint64_t stretchUnits = 0;
    const auto tickAt = [&](std::uint64_t units) {
        // A quarter note lasts kLengthRule / (4 x tempo) duration units.
        const double quarters = static_cast<double>(units - stretchUnits) * 4 * tempo / formats::tone::kLengthRule;
        return stretchTick + static_cast<std::uint64_t>(std::llround(quarters * kTicksPerQuarter));
    };
    for (const melody::TimedEvent& event : timeline.events) {
        // The tempo only names the beat: the ticks follow it, so the time of every note is the
        // same whatever it is. Kept where the 24-bit tempo field can hold it.
        const double eventTempo = std::clamp(event.tempo > 0 ? event.tempo : kDefaultTempo, 4.0, 30000.0);
        if (eventTempo != tempo) {
            stretchTick = tempo < 0 ? 0 : tickAt(event.start);
            stretchUnits = event.start;
            tempo = eventTempo;
            writer.Tempo(stretchTick, tempo);
        }
        if (!event.IsPause()) {
            const std::uint8_t key = MidiNote(event.code);
            writer.Event(tickAt(event.start), {0x90, key, kVelocity});
            writer.Event(tickAt(event.start + event.units), {0x80, key, 0x00});
        }
    }
    if (tempo < 0) {
        writer.Tempo(0, kDefaultTempo);
        tempo = kDefaultTempo;
    }
    return writer.Finish(tickAt(timeline.units));
}

Result<melody::Timeline> PlayedTimeline(const melody::Score& score) {
    const melody::EncodeResult encoded = melody::EncodeScore(score, formats::TextFormat::Ascii);
    if (!encoded.record) {
        return encoded.record.error();
    }
    melody::Timeline timeline = melody::EncodedTimeline(encoded);
    // Events no token wrote (the closing delay) play at the tempo around them.
    const auto known = std::find_if(timeline.events.begin(), timeline.events.end(),
                                    [](const melody::TimedEvent& event) { return event.tempo > 0; });
    double tempo = known == timeline.events.end() ? 0 : known->tempo;
    for (melody::TimedEvent& event : timeline.events) {
        tempo = event.tempo > 0 ? event.tempo : tempo;
        event.tempo = tempo;
    }
    return timeline;
}

Result<Bytes> WriteMidi(const melody::Score& score) {
    const auto timeline = PlayedTimeline(score);
    if (!timeline) {
        return timeline.error();
    }
    return WriteMidi(*timeline, score.settings.name);
}

Result<Bytes> WriteMidiMelody(ByteView recordOrToneData) {
    const melody::DecodedMelody decoded = melody::DecodeMelody(recordOrToneData);
    return WriteMidi(decoded.timeline, decoded.fields.name);
}

Result<MidiImport> ReadMidi(ByteView bytes) {
    const auto header = ReadHeader(bytes);
    if (!header) {
        return header.error();
    }
    std::vector<std::string> warnings;
    TrackNotes song;
    if (auto read = ReadTracks(bytes, *header, song, warnings); !read) {
        return read.error();
    }
    bool overlapped = false;
    const std::vector<Stretch> stretches = OneVoice(song.notes, song.end, overlapped);
    if (overlapped) {
        warnings.emplace_back("Notes sound together in the file; a ringtone plays one at a time, so the "
                              "highest sounding note is kept.");
    }
    // With SMPTE timing ticks are seconds; they are counted in quarters at the melody's tempo.
    const bool smpte = (header->division & 0x8000) != 0;
    const double firstBpm = song.tempos.empty() ? 120.0 : Bpm(song.tempos.begin()->second);
    const double ticksPerQuarter = smpte ? (256 - (header->division >> 8)) * (header->division & 0xFF) * 60.0 / firstBpm
                                         : static_cast<double>(header->division);
    const PieceList pieces = ToPieces(stretches, song.tempos, ticksPerQuarter, firstBpm);
    if (pieces.budget.Warning()) {
        warnings.push_back(*pieces.budget.Warning());
    }
    if (pieces.rounded) {
        warnings.emplace_back("Note lengths are rounded to the nearest sixty-fourth note.");
    }
    if (pieces.dropped) {
        warnings.emplace_back("Notes shorter than half a sixty-fourth note are left out.");
    }
    melody::Score score = ToScore(pieces, warnings);
    score.settings.name = song.name;
    score.settings.tempo = static_cast<double>(std::lround(firstBpm));
    return ImportOf(std::move(score), std::move(warnings));
}

}  // namespace belltower::interchange
