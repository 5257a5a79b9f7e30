// SPDX-License-Identifier: GPL-3.0-or-later
#include "interchange/midi_song.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "interchange/midi.h"

namespace belltower::interchange {
namespace {

using formats::ByteView, formats::ErrorCode, formats::MakeError, formats::Result;

constexpr int kMaxTracks = 1024;
constexpr std::uint32_t kTrackChunk = 0x4D54726B;  // "MTrk"

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

std::string Damaged(const std::string& what) {
    return "The MIDI file is damaged: " + what;
}

std::string At(std::size_t offset) {
    return " at byte " + std::to_string(offset);
}

// The notes sounding on each channel and key: indexes into a track's notes, oldest first from
// `head` on. One table serves every track of a file; a track empties only the keys it touched,
// so a file of a thousand short tracks costs what its bytes do, not a thousand tables.
struct SoundingKey {
    std::vector<std::size_t> notes;
    std::size_t head = 0;  // the notes before it have ended
};
struct SoundingTable {
    std::vector<SoundingKey> keys = std::vector<SoundingKey>(std::size_t{16} * 128);  // channel x key
    std::vector<std::size_t> touched;  // keys given a note since the table was last emptied
};

// Reading one track: where it is, the running status and the notes still sounding.
struct TrackReader {
    TrackReader(Cursor at, MidiSong& into, SoundingTable& table, bool keep)
        : keepNotes(keep), cursor(at), where("track " + std::to_string(into.tracks.size() + 1)), song(into),
          sounding(table) {}

    bool keepNotes;  // false: the notes are counted, not kept
    Cursor cursor;
    std::string where;
    MidiSong& song;
    SoundingTable& sounding;
    MidiSongTrack track;
    std::uint64_t tick = 0;
    std::uint8_t status = 0;
    bool afterMeta = false;  // the last event was a meta or system exclusive event
    int strayOffs = 0;
    bool runningAfterMeta = false;
    bool ended = false;      // the end of track event was read
    int systemMessages = 0;  // F1..FE other than F7 and FF
};

// A meta or system exclusive event, its status byte read: the tempo, the first track name and
// the end of the track are kept. Nothing when it runs past the end; false at the end of the
// track.
std::optional<bool> ReadMetaEvent(TrackReader& reader, std::uint8_t kind) {
    std::optional<std::uint8_t> type;
    if (kind == 0xFF) {
        type = reader.cursor.Byte();
    }
    const auto length = (kind != 0xFF || type) ? reader.cursor.VarLen() : std::nullopt;
    if (!length || !reader.cursor.Skip(*length)) {
        return std::nullopt;
    }
    const ByteView data = reader.cursor.Take(*length);
    if (type == 0x51 && data.size() >= 3) {
        const std::uint32_t micros = formats::BigEndianAt(data, 0, 3);
        if (micros > 0) {
            reader.song.tempos.emplace(reader.tick, micros);
        }
    } else if (type == 0x03 && reader.track.name.empty()) {
        reader.track.name = formats::ToText(data);
    }
    return type != 0x2F;
}

// A channel event, its status known and its first data byte read when it came by running
// status. Notes on and off and the first program change are kept. False when the track ends
// inside it.
bool ReadChannelEvent(TrackReader& reader, std::uint8_t kind, std::optional<std::uint8_t> data1) {
    const int channel = kind & 0x0F;
    const int command = kind & 0xF0;
    const int dataCount = (command == 0xC0 || command == 0xD0) ? 1 : 2;
    std::array<std::uint8_t, 2> data{};
    for (int i = 0; i < dataCount; ++i) {
        const auto byte = (i == 0 && data1) ? data1 : reader.cursor.Byte();
        if (!byte) {
            return false;
        }
        data[static_cast<std::size_t>(i)] = *byte & 0x7F;
    }
    MidiSongTrack& track = reader.track;
    if (command == 0xC0 && track.program < 0) {
        track.program = data[0];
    }
    const bool noteOn = command == 0x90 && data[1] > 0;
    const bool noteOff = command == 0x80 || (command == 0x90 && data[1] == 0);
    if (!noteOn && !noteOff) {
        return true;
    }
    track.noteOns += noteOn ? 1 : 0;
    if (!reader.keepNotes) {
        return true;
    }
    const std::size_t key = static_cast<std::size_t>(channel) * 128 + data[0];
    SoundingKey& open = reader.sounding.keys[key];
    if (noteOn) {
        if (open.notes.empty()) {
            reader.sounding.touched.push_back(key);
        }
        open.notes.push_back(track.notes.size());
        track.notes.push_back({reader.tick, reader.tick, static_cast<std::int16_t>(data[0]),
                               static_cast<std::int16_t>(channel), static_cast<std::uint32_t>(track.notes.size())});
    } else if (open.head < open.notes.size()) {
        track.notes[open.notes[open.head++]].off = reader.tick;  // the oldest note of the key ends
        if (open.head == open.notes.size()) {
            open = {};
        }
    } else {
        ++reader.strayOffs;
    }
    return true;
}

// One event; the damage that ends the track, or empty.
std::string ReadEvent(TrackReader& reader) {
    Cursor& cursor = reader.cursor;
    const std::size_t eventStart = cursor.Position();
    const auto delta = cursor.VarLen();
    if (!delta) {
        return "the " + reader.where + " ends inside a delta time" + At(eventStart);
    }
    reader.tick += *delta;
    const auto first = cursor.Byte();
    if (!first) {
        return "the " + reader.where + " ends after a delta time" + At(eventStart);
    }
    std::optional<std::uint8_t> data1;
    if (*first < 0x80) {
        if (reader.status == 0) {
            return "running status with no status byte before it in " + reader.where + At(eventStart);
        }
        reader.runningAfterMeta = reader.runningAfterMeta || reader.afterMeta;
        data1 = *first;
    } else if (*first < 0xF0) {
        reader.status = *first;
    }
    // A channel message is of the running status, just stored when it carries its own.
    const std::uint8_t kind = *first < 0xF0 ? reader.status : *first;
    reader.afterMeta = kind >= 0xF0;
    if (kind > 0xF0 && kind < 0xFF && kind != 0xF7) {
        // A system message of a live MIDI line, which files do not carry: skipped with its
        // data bytes.
        ++reader.systemMessages;
        if (!cursor.Skip(kind == 0xF2 ? 2 : (kind == 0xF1 || kind == 0xF3) ? 1 : 0)) {
            return "the " + reader.where + " ends inside an event" + At(eventStart);
        }
    } else if (kind >= 0xF0) {
        const auto more = ReadMetaEvent(reader, kind);
        if (!more) {
            return "an event runs past the end of " + reader.where + At(eventStart);
        }
        reader.ended = !*more;  // nothing after the end of the track is read
    } else if (!ReadChannelEvent(reader, kind, data1)) {
        return "the " + reader.where + " ends inside an event" + At(eventStart);
    }
    return {};
}

void ReadTrack(ByteView bytes, std::size_t begin, std::size_t end, bool keepNotes, SoundingTable& sounding,
               MidiSong& song) {
    TrackReader reader(Cursor(bytes, begin, end), song, sounding, keepNotes);
    if (keepNotes) {
        reader.track.notes.reserve((end - begin) / 6);  // a note on and off take 6 bytes at the least
    }
    while (!reader.cursor.AtEnd() && !reader.ended) {
        if (const std::string damage = ReadEvent(reader); !damage.empty()) {
            song.warnings.push_back(Damaged(damage + "; the track is read up to there."));
            break;
        }
    }
    for (const std::size_t key : sounding.touched) {
        SoundingKey& open = sounding.keys[key];
        for (std::size_t i = open.head; i < open.notes.size(); ++i) {
            reader.track.notes[open.notes[i]].off = reader.tick;  // a note still sounding ends with its track
        }
        open = {};
    }
    sounding.touched.clear();
    if (reader.strayOffs > 0) {
        song.warnings.push_back("The " + reader.where + " has " + std::to_string(reader.strayOffs) +
                                " note-offs with no note-on; they are ignored.");
    }
    if (reader.systemMessages > 0) {
        song.warnings.push_back("The " + reader.where + " holds " + std::to_string(reader.systemMessages) +
                                " system messages of a live MIDI line (F1 to FE), which a file does not carry; they "
                                "are skipped.");
    }
    if (reader.runningAfterMeta) {
        song.warnings.push_back("The " + reader.where +
                                " uses running status after a meta event; it is read as the status before it.");
    }
    reader.track.end = reader.tick;
    song.end = std::max(song.end, reader.tick);
    song.tracks.push_back(std::move(reader.track));
}

Result<MidiSong> ReadHeader(ByteView bytes) {
    if (!LooksLikeMidi(bytes)) {
        return MakeError(ErrorCode::BadInput, "This is not a MIDI file: it does not start with \"MThd\".");
    }
    if (!MidiHeaderFits(bytes)) {
        return MakeError(ErrorCode::DamagedData, Damaged("its header chunk is cut short."));
    }
    // "MThd" and the header's length, then format, track count and division, two bytes each.
    const std::uint32_t format = formats::BigEndianAt(bytes, 8, 2);
    const std::uint32_t division = formats::BigEndianAt(bytes, 12, 2);
    if (format > 2) {
        return MakeError(ErrorCode::BadInput, "The MIDI file has the unknown format " + std::to_string(format) + ".");
    }
    if (division == 0 || ((division & 0x8000) != 0 && (division & 0xFF) == 0)) {
        return MakeError(ErrorCode::BadInput, "The MIDI file gives a division of 0 ticks: its notes have no length.");
    }
    MidiSong song;
    song.format = format;
    song.division = division;
    return song;
}

}  // namespace

void PutBig(formats::Bytes& out, std::uint32_t value, int size) {
    for (int i = size - 1; i >= 0; --i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

void PutVarLen(formats::Bytes& out, std::uint32_t value) {
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

double MidiSong::FirstBpm() const {
    return tempos.empty() ? 120.0 : 60'000'000.0 / tempos.begin()->second;
}

double MidiSong::TicksPerQuarter() const {
    // With SMPTE timing ticks are seconds; they are counted in quarters at the first tempo.
    if ((division & 0x8000) != 0) {
        return (256 - (division >> 8)) * (division & 0xFF) * 60.0 / FirstBpm();
    }
    return static_cast<double>(division);
}

Result<MidiSong> ReadMidiSong(ByteView bytes, int onlyTrack) {
    auto song = ReadHeader(bytes);
    if (!song) {
        return song;
    }
    // Every track chunk; chunks of other types are skipped.
    SoundingTable sounding;
    std::size_t pos = 8 + std::size_t{formats::BigEndianAt(bytes, 4)};  // behind the header chunk
    while (pos < bytes.size() && song->tracks.size() < kMaxTracks) {
        Cursor chunk(bytes, pos, bytes.size());
        const auto type = chunk.Big(4);
        const auto length = chunk.Big(4);
        if (!type || !length) {
            song->warnings.push_back(Damaged("a chunk header is cut short" + At(pos) + "; the rest is left out."));
            pos = bytes.size();
            break;
        }
        const std::size_t begin = pos + 8;
        std::size_t end = begin + *length;
        if (*length > bytes.size() - begin) {
            song->warnings.push_back(Damaged("a chunk says it is " + std::to_string(*length) +
                                             " bytes long, past the end of the file" + At(pos) +
                                             "; it is read up to the end."));
            end = bytes.size();
        }
        if (*type == kTrackChunk) {
            const bool keep = onlyTrack <= 0 || static_cast<std::size_t>(onlyTrack) == song->tracks.size() + 1;
            ReadTrack(bytes, begin, end, keep, sounding, *song);
        }
        pos = end;
    }
    if (song->tracks.empty()) {
        return MakeError(ErrorCode::DamagedData, Damaged("it holds no track."));
    }
    if (song->tracks.size() == kMaxTracks && pos < bytes.size()) {
        song->warnings.push_back("Only the first " + std::to_string(kMaxTracks) +
                                 " tracks are read; the rest of the file is left out.");
    }
    return song;
}

}  // namespace belltower::interchange
