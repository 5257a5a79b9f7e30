// SPDX-License-Identifier: GPL-3.0-or-later
#include "interchange/midi.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <numeric>
#include <optional>
#include <set>

#include "formats/bytes.h"
#include "formats/message_text.h"
#include "formats/tone_commands.h"
#include "interchange/midi_song.h"
#include "interchange/midi_tracks.h"
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
constexpr int kDrumChannel = 9;       // channel 10, counted from 0
constexpr int kLowestTokenCode = 79;  // c of octave 1, the lowest a token can name

using Note = MidiNoteEvent;

// ---- Writing ----------------------------------------------------------------------------------

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

// One stretch of the single voice: a note (key) or a rest (key -1), in ticks.
struct Stretch {
    std::uint64_t from{};
    std::uint64_t to{};
    int key = -1;
    std::size_t order{};
};

// Under the first-note rule: each note plays to its end, and the notes that start while it
// sounds are dropped; of notes starting together the highest is kept.
std::vector<Note> FirstNotes(std::vector<Note> notes) {
    std::sort(notes.begin(), notes.end(),
              [](const Note& a, const Note& b) { return a.on != b.on ? a.on < b.on : a.key > b.key; });
    std::vector<Note> kept;
    for (const Note& note : notes) {
        if (note.off > note.on && (kept.empty() || note.on >= kept.back().off)) {
            kept.push_back(note);
        }
    }
    return kept;
}

// The note the rule keeps at every moment: the highest or the lowest sounding one, so a note
// still held sounds again when the one over it ends.
// Rests before the first note and after the last, up to the end of the tracks, are kept.
std::vector<Stretch> OneVoice(std::vector<Note> notes, std::uint64_t end, VoiceRule rule, bool& overlapped) {
    if (rule == VoiceRule::First) {
        const std::size_t all = notes.size();
        notes = FirstNotes(std::move(notes));
        overlapped = notes.size() < all;
    }
    std::vector<std::uint64_t> times = {0, end};
    for (const Note& note : notes) {
        if (note.off > note.on) {
            times.push_back(note.on);
            times.push_back(note.off);
        }
    }
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    std::ranges::sort(notes, {}, &Note::on);       // notes starting together are taken in together
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
        Stretch stretch{.from = now, .to = times[t + 1]};  // a rest unless a note sounds
        if (!active.empty()) {
            const auto& kept = rule == VoiceRule::Lowest ? *active.begin() : *active.rbegin();
            stretch.key = kept.first;
            stretch.order = kept.second;
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
constexpr auto kLengths = std::to_array<Length>({{96, 1, true},
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
                                                 {1, 64, false}});
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
// A read may ask for less: at most so many notes, or seconds.
class Budget {
public:
    Budget(int maxNotes, double maxSeconds)
        : maxNotes_(maxNotes), maxSeconds_(maxSeconds > 0 && maxSeconds < kMaxSeconds ? maxSeconds : kMaxSeconds) {}

    // How many of `units` sixty-fourth notes at `bpm` still fit; cut says where, when not all.
    long long Fit(long long units, int bpm, std::uint64_t fromTick, double ticksPerUnit) {
        const double perUnit = 60.0 / (kGridPerQuarter * bpm);
        const double room = std::floor((maxSeconds_ - seconds_) / perUnit);
        if (static_cast<double>(units) > room) {
            units = static_cast<long long>(std::max(room, 0.0));
            Cut(maxSeconds_ < kMaxSeconds
                    ? "The melody is cut at its limit of " + formats::NumberText(maxSeconds_) + " seconds"
                    : "The melody plays longer than ten minutes; it is cut at 10:00",
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
    // Whether one more note fits.
    bool TakeNote(std::uint64_t tick) {
        if (maxNotes_ > 0 && notes_ == maxNotes_) {
            Cut("The melody is cut after its limit of " + std::to_string(maxNotes_) + " notes", tick);
            return false;
        }
        ++notes_;
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

    int maxNotes_;
    double maxSeconds_;
    int notes_ = 0;
    double seconds_ = 0;
    std::size_t pieces_ = 0;
    std::optional<std::string> warning_;
};

struct PieceList {
    std::vector<Piece> pieces;
    Budget budget;
    bool rounded = false;     // a note more than a quarter of a sixty-fourth off the grid
    double largestError = 0;  // seconds, of the notes and rests written
    bool dropped = false;     // a note too short for the grid
    bool tied = false;        // a note written as several pieces
    bool repeated = false;    // a note following one of the same key
};

// One stretch cut into the longest note lengths that add up to its units, the pending tempo
// tag before the first, as far as the budget allows.
void AddPieces(const Stretch& stretch, long long units, double ticksPerUnit, std::optional<int>& pendingTempo,
               int& currentBpm, PieceList& list) {
    const int code = stretch.key < 0 ? formats::tone::kPause : stretch.key + kMidiOffset;
    bool first = true;
    if (stretch.key >= 0 && !list.budget.TakeNote(stretch.from)) {
        return;
    }
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
PieceList ToPieces(const std::vector<Stretch>& stretches, const MidiSong& song, const MidiReadOptions& options) {
    const auto& tempos = song.tempos;
    const double ticksPerQuarter = song.TicksPerQuarter();
    PieceList list{{}, Budget(options.maxNotes, options.maxSeconds)};
    const double firstBpm = song.FirstBpm();
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
        list.largestError =
            std::max(list.largestError, std::fabs(exact - static_cast<double>(units)) * seconds / exact);
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
    while (code < kLowestTokenCode) {
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

// What the voice rule keeps, as the warning says it.
const char* RuleWords(VoiceRule rule) {
    switch (rule) {
    case VoiceRule::Lowest:
        return "the lowest sounding note is kept";
    case VoiceRule::First:
        return "each note plays to its end and the notes that start under it are left out";
    case VoiceRule::Highest:
        break;
    }
    return "the highest sounding note is kept";
}

struct ChosenNotes {
    std::vector<Note> notes;
    std::string name;
};

// The tracks a read takes: the one asked for; every track for a channel; otherwise the
// default pick (every track when none has notes).
Result<std::vector<std::size_t>> ChooseTracks(const MidiSong& song, const MidiReadOptions& options,
                                              std::vector<std::string>& warnings) {
    const std::size_t count = song.tracks.size();
    if (options.track > 0) {
        if (static_cast<std::size_t>(options.track) > count) {
            return MakeError(ErrorCode::BadInput, "The MIDI file has " + std::to_string(count) +
                                                      (count == 1 ? " track" : " tracks") + "; there is no track " +
                                                      std::to_string(options.track) + ".");
        }
        return std::vector<std::size_t>{static_cast<std::size_t>(options.track - 1)};
    }
    const MidiTrackList list = SummariseTracks(song);
    const auto withNotes = std::count_if(list.tracks.begin(), list.tracks.end(),
                                         [](const MidiTrackSummary& track) { return track.notes > 0; });
    if (options.channel > 0 || list.defaultTrack == 0) {
        std::vector<std::size_t> all(count);
        std::iota(all.begin(), all.end(), std::size_t{0});
        return all;
    }
    if (withNotes > 1) {
        const std::string& name = list.tracks[static_cast<std::size_t>(list.defaultTrack - 1)].name;
        warnings.push_back("Of the " + std::to_string(withNotes) + " tracks with notes, track " +
                           std::to_string(list.defaultTrack) + (name.empty() ? "" : " \"" + name + "\"") +
                           " is read; the others are left out.");
    }
    return std::vector<std::size_t>{static_cast<std::size_t>(list.defaultTrack - 1)};
}

// The notes of the chosen tracks and channel, on one time line; the drums only when their
// channel is asked for. The name is the song's title (the name of a first track with no
// notes, as sequencers write it) or else the first name of the tracks read.
Result<ChosenNotes> ChooseNotes(const MidiSong& song, const MidiReadOptions& options,
                                std::vector<std::string>& warnings) {
    const auto tracks = ChooseTracks(song, options, warnings);
    if (!tracks) {
        return tracks.error();
    }
    ChosenNotes chosen;
    bool drums = false;
    for (const std::size_t index : *tracks) {
        const MidiSongTrack& track = song.tracks[index];
        chosen.name = chosen.name.empty() ? track.name : chosen.name;
        for (const Note& note : track.notes) {
            const bool drum = note.channel == kDrumChannel && options.channel != kDrumChannel + 1;
            drums = drums || drum;
            if (!drum && (options.channel == 0 || note.channel == options.channel - 1)) {
                chosen.notes.push_back(note);
                chosen.notes.back().order = static_cast<std::uint32_t>(chosen.notes.size());
            }
        }
    }
    if (song.tracks.front().noteOns == 0 && !song.tracks.front().name.empty()) {
        chosen.name = song.tracks.front().name;
    }
    if (chosen.notes.empty() && (options.track > 0 || options.channel > 0)) {
        return MakeError(ErrorCode::BadInput,
                         (options.track > 0 ? "Track " + std::to_string(options.track) + " of the MIDI file"
                                            : std::string("The MIDI file")) +
                             (drums ? " has only drum notes (channel 10), which are read only when channel 10 is chosen"
                                    : " has no notes") +
                             (options.channel > 0 ? " on channel " + std::to_string(options.channel) : "") + ".");
    }
    if (drums) {
        warnings.emplace_back("The drum notes (channel 10) are left out.");
    }
    return chosen;
}

// Whether a note lies where the hardware sounds it and a ringtone token can name it.
bool Fits(int key, melody::Hardware hardware) {
    const int code = key + kMidiOffset;
    return code >= kLowestTokenCode && code <= 0xFF && !melody::OutOfRange(static_cast<std::uint8_t>(code), hardware);
}

// The whole-octave shift that puts the most notes in the hardware's range; the smallest of
// equal ones, up before down.
int AutoShift(const std::vector<Stretch>& stretches, melody::Hardware hardware) {
    const auto fitting = [&](int shift) {
        return std::count_if(stretches.begin(), stretches.end(), [&](const Stretch& stretch) {
            return stretch.key >= 0 && Fits(stretch.key + shift, hardware);
        });
    };
    int best = 0;
    long bestCount = fitting(best);
    for (int octaves = 1; octaves <= 10; ++octaves) {
        for (const int shift : {12 * octaves, -12 * octaves}) {
            const long count = fitting(shift);
            if (count > bestCount) {
                best = shift;
                bestCount = count;
            }
        }
    }
    return best;
}

// The notes moved by the semitones asked for, or by the automatic shift, which a warning names.
void Transpose(std::vector<Stretch>& stretches, const MidiReadOptions& options, std::vector<std::string>& warnings) {
    const int shift = options.transpose.value_or(AutoShift(stretches, options.hardware));
    if (shift == 0) {
        return;
    }
    for (Stretch& stretch : stretches) {
        stretch.key += stretch.key >= 0 ? shift : 0;
    }
    if (!options.transpose) {
        const int octaves = std::abs(shift) / 12;
        const char* range = options.hardware == melody::Hardware::Phone         ? "the phone's range"
                            : options.hardware == melody::Hardware::LogoManager ? "LogoManager's range"
                                                                                : "the range ringtone text can write";
        warnings.push_back("The notes are moved " + std::string(shift > 0 ? "up " : "down ") + std::to_string(octaves) +
                           (octaves == 1 ? " octave" : " octaves") + " (transposed by " + std::to_string(shift) +
                           " semitones) to lie in " + range + ".");
    }
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
    static constexpr auto kMagic = std::to_array<std::uint8_t>({'M', 'T', 'h', 'd'});
    return bytes.size() >= 4 && std::equal(kMagic.begin(), kMagic.end(), bytes.begin());
}

Result<Bytes> WriteMidi(const melody::Timeline& timeline, const std::string& name) {
    TrackWriter writer;
    if (!name.empty()) {
        writer.Name(name);
    }
    // Ticks are counted from the start of the stretch at one tempo, so rounding never adds up.
    std::optional<double> tempo;  // none before the first event
    std::uint64_t stretchTick = 0;
    std::uint64_t stretchUnits = 0;
    const auto tickAt = [&](std::uint64_t units) {
        // A quarter note lasts kLengthRule / (4 x tempo) duration units.
        const double quarters = static_cast<double>(units - stretchUnits) * 4 * *tempo / formats::tone::kLengthRule;
        return stretchTick + static_cast<std::uint64_t>(std::llround(quarters * kTicksPerQuarter));
    };
    for (const melody::TimedEvent& event : timeline.events) {
        // The tempo only names the beat: the ticks follow it, so the time of every note is the
        // same whatever it is. Kept where the 24-bit tempo field can hold it.
        const double eventTempo = std::clamp(event.tempo > 0 ? event.tempo : kDefaultTempo, 4.0, 30000.0);
        if (eventTempo != tempo) {
            stretchTick = tempo ? tickAt(event.start) : 0;
            stretchUnits = event.start;
            tempo = eventTempo;
            writer.Tempo(stretchTick, *tempo);
        }
        if (!event.IsPause()) {
            const std::uint8_t key = MidiNote(event.code);
            writer.Event(tickAt(event.start), {0x90, key, kVelocity});
            writer.Event(tickAt(event.start + event.units), {0x80, key, 0x00});
        }
    }
    if (!tempo) {
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
    return ReadMidi(bytes, MidiReadOptions{});
}

Result<MelodyImport> ReadMidi(ByteView bytes, const MidiReadOptions& options) {
    auto song = ReadMidiSong(bytes, options.track);
    if (!song) {
        return song.error();
    }
    std::vector<std::string> warnings = std::move(song->warnings);
    auto chosen = ChooseNotes(*song, options, warnings);
    if (!chosen) {
        return chosen.error();
    }
    bool overlapped = false;
    std::vector<Stretch> stretches = OneVoice(std::move(chosen->notes), song->end, options.voice, overlapped);
    if (overlapped) {
        warnings.push_back("Notes sound together in the file; a ringtone plays one at a time, so " +
                           std::string(RuleWords(options.voice)) + ".");
    }
    Transpose(stretches, options, warnings);
    const PieceList pieces = ToPieces(stretches, *song, options);
    if (pieces.budget.Warning()) {
        warnings.push_back(*pieces.budget.Warning());
    }
    if (pieces.rounded) {
        warnings.push_back("Note lengths are rounded to the nearest sixty-fourth note; the largest change is " +
                           std::to_string(std::lround(pieces.largestError * 1000)) + " ms.");
    }
    if (pieces.dropped) {
        warnings.emplace_back("Notes shorter than half a sixty-fourth note are left out.");
    }
    melody::Score score = ToScore(pieces, warnings);
    score.settings.name = chosen->name;
    score.settings.tempo = static_cast<double>(std::lround(song->FirstBpm()));
    return ImportOf(std::move(score), std::move(warnings));
}

}  // namespace belltower::interchange
