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

namespace belltower::interchange {
namespace {

using formats::Bytes;
using formats::ByteView;
using formats::ErrorCode;
using formats::MakeError;
using formats::Result;

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

struct Song {
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

Result<void> ReadTrack(ByteView bytes, std::size_t begin, std::size_t end, int track, Song& song) {
    Cursor cursor(bytes, begin, end);
    std::uint64_t tick = 0;
    std::uint8_t status = 0;
    std::map<std::pair<int, int>, std::vector<std::size_t>> sounding;  // (channel, key) -> notes
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
            } else if (type == 0x2F) {
                break;
            }
            continue;
        }
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
            continue;
        }
        auto& open = sounding[{channel, data[0]}];
        if (noteOn) {
            open.push_back(song.notes.size());
            song.notes.push_back({tick, tick, data[0], song.notes.size()});
        } else if (noteOff && !open.empty()) {
            song.notes[open.front()].off = tick;
            open.erase(open.begin());
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

}  // namespace

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

Result<Bytes> WriteMidiMelody(ByteView recordOrToneData) {
    const melody::DecodedMelody decoded = melody::DecodeMelody(recordOrToneData);
    return WriteMidi(decoded.timeline, decoded.fields.name);
}

Result<MidiImport> ReadMidi(ByteView bytes) {
    if (!LooksLikeMidi(bytes)) {
        return MakeError(ErrorCode::BadInput, "This is not a MIDI file: it does not start with \"MThd\".");
    }
    Cursor header(bytes, 4, bytes.size());
    const auto headerLength = header.Big(4);
    if (!headerLength || *headerLength < 6 || *headerLength > bytes.size() - 8) {
        return Damaged("its header chunk is cut short.");
    }
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
    MidiImport imported;
    Song song;
    std::size_t pos = 8 + *headerLength;
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
            if (!(*format == 2 && trackCount > 0)) {
                if (auto read = ReadTrack(bytes, begin, begin + *length, trackCount, song); !read) {
                    return read.error();
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
        imported.warnings.emplace_back("Only the first " + std::to_string(kMaxTracks) +
                                       " tracks are read; the rest of the file is left out.");
    }
    if (*format == 2 && trackCount > 1) {
        imported.warnings.emplace_back("Only the first of the " + std::to_string(trackCount) +
                                       " independent patterns is read.");
    }
    if (song.drums) {
        imported.warnings.emplace_back("The drum notes (channel 10) are left out.");
    }
    bool overlapped = false;
    const std::vector<Stretch> stretches = OneVoice(song.notes, song.end, overlapped);
    if (overlapped) {
        imported.warnings.emplace_back("Notes sound together in the file; a ringtone plays one at a time, so the "
                                       "highest sounding note is kept.");
    }

    // Lengths in sixty-fourth notes. With SMPTE timing ticks are seconds; they are counted in
    // quarters at the melody's tempo.
    const bool smpte = (*division & 0x8000) != 0;
    const double firstBpm = song.tempos.empty() ? 120.0 : Bpm(song.tempos.begin()->second);
    const double ticksPerQuarter =
        smpte ? (256 - (*division >> 8)) * (*division & 0xFF) * 60.0 / firstBpm : static_cast<double>(*division);
    std::vector<Piece> pieces;
    auto tempo = song.tempos.empty() ? song.tempos.end() : std::next(song.tempos.begin());
    int currentBpm = static_cast<int>(std::lround(firstBpm));
    std::optional<int> pendingTempo;
    bool rounded = false;
    bool dropped = false;
    bool tied = false;
    bool repeated = false;
    int lastKey = -1;
    Budget budget;
    for (const Stretch& stretch : stretches) {
        if (budget.Full()) {
            break;
        }
        // The first tempo is the melody's; every later change becomes a tag before the next note.
        while (tempo != song.tempos.end() && tempo->first <= stretch.from) {
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
        long long units = std::llround(exact);
        rounded = rounded || (stretch.key >= 0 && std::fabs(exact - static_cast<double>(units)) > 0.25);
        // A rest under 1/40 s is the break the phone makes between repeated notes.
        const double seconds = exact / kGridPerQuarter * 60.0 / currentBpm;
        if (units <= 0 || (stretch.key < 0 && seconds < 0.025)) {
            dropped = dropped || stretch.key >= 0;
            continue;
        }
        const int code = stretch.key < 0 ? formats::tone::kPause : stretch.key + kMidiOffset;
        if (stretch.key >= 0 && stretch.key == lastKey) {
            repeated = true;
        }
        lastKey = stretch.key;
        units = budget.Fit(units, pendingTempo.value_or(currentBpm), stretch.from, ticksPerQuarter / kGridPerQuarter);
        bool first = true;
        const long long stretchUnits = units;
        while (units > 0 &&
               budget.TakePiece(stretch.from + static_cast<std::uint64_t>(static_cast<double>(stretchUnits - units) *
                                                                          ticksPerQuarter / kGridPerQuarter))) {
            const Length length =
                *std::find_if(kLengths.begin(), kLengths.end(), [&](const Length& l) { return l.units <= units; });
            Piece piece{code, length, std::nullopt};
            if (first && pendingTempo) {
                piece.tempo = pendingTempo;
                currentBpm = *pendingTempo;
                pendingTempo.reset();
            }
            tied = tied || (!first && stretch.key >= 0);
            first = false;
            pieces.push_back(piece);
            units -= length.units;
        }
    }
    if (budget.Warning()) {
        imported.warnings.push_back(*budget.Warning());
    }
    if (rounded) {
        imported.warnings.emplace_back("Note lengths are rounded to the nearest sixty-fourth note.");
    }
    if (dropped) {
        imported.warnings.emplace_back("Notes shorter than half a sixty-fourth note are left out.");
    }

    // The defaults that most notes share.
    std::vector<int> fractions;
    std::vector<int> octaves;
    for (const Piece& piece : pieces) {
        fractions.push_back(piece.length.fraction);
        if (piece.code != formats::tone::kPause) {
            octaves.push_back(melody::NameOfCode(static_cast<std::uint8_t>(piece.code)).octave);
        }
    }
    const int duration = MostUsed(fractions, 4);
    const int octave = std::max(1, MostUsed(octaves, 5));

    melody::MelodyFields& fields = imported.fields;
    fields.name = song.name;
    fields.tempo = std::to_string(static_cast<int>(std::lround(firstBpm)));
    fields.duration = std::to_string(duration);
    fields.octave = std::to_string(octave);
    fields.delay = "0";
    // Tied pieces sound as one note only without the small pauses between equal notes.
    fields.noSmallPauses = tied && !repeated;
    if (tied && repeated) {
        imported.warnings.emplace_back("Tied notes are written as repeated notes with a short break between them.");
    }
    bool outOfRange = false;
    for (const Piece& piece : pieces) {
        if (piece.tempo) {
            fields.notes += (fields.notes.empty() ? "t" : " t") + std::to_string(*piece.tempo);
        }
        std::string token = piece.length.fraction == duration ? "" : std::to_string(piece.length.fraction);
        if (piece.code == formats::tone::kPause) {
            token += 'p';
        } else {
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
            token += name.letter;
            if (name.sharp) {
                token += '#';
            }
            if (name.octave != octave) {
                token += std::to_string(name.octave);
            }
        }
        if (piece.length.dotted) {
            token += '.';
        }
        fields.notes += (fields.notes.empty() ? "" : " ") + token;
    }
    if (outOfRange) {
        imported.warnings.emplace_back("Notes below octave 1 or above the highest tone code are moved by octaves.");
    }
    return imported;
}

}  // namespace belltower::interchange
