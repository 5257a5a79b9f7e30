// SPDX-License-Identifier: GPL-3.0-or-later
// Tone data as timed notes: what the phone plays, one event per sounding stretch.
//
// The commands are read by WalkToneData, the one reading of tone data that the synthesiser
// shares (see preview/wav_writer.h and formats/tone_commands.h): consecutive commands of the
// same code 0x40 or above are tied into one event, so a long note stored as 125-unit pieces is
// one event; vibration commands switch the motor for the events after them; a repeat start
// (05 n) and a repeat end (the single byte 06) play the events between them n times. As in the
// synthesiser, a repeat end leaves its mark in place (a second 06 plays everything since the
// mark again, copies included) and repeats nothing when the stretch since the mark has no
// length. Codes below 0x40 other than those are skipped. The list is cut at kMaxTimelineUnits
// and at kMaxTimelineEvents, whichever comes first, so its size follows the tone data's
// length, never the numbers in it.
//
// The ringtone-text decoder, the MIDI writer and both piano rolls read melodies through this
// list; the decoder fills in the tempo it wrote each event at.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "formats/bytes.h"
#include "formats/tone_commands.h"

namespace belltower::melody {

// The preview's cap: ten minutes of duration units (1/120 s).
inline constexpr std::uint64_t kMaxTimelineUnits = std::uint64_t{600} * formats::tone::kUnitsPerSecond;
// At most as many events as the longest tone data a record holds (65,535 bytes of two-byte
// commands) can write out one by one; only repeats reach it.
inline constexpr std::size_t kMaxTimelineEvents = 32768;

// One command of the tone data as it stands in the bytes.
struct ToneCommand {
    std::size_t offset = 0;  // byte offset in the tone data
    std::uint8_t code = 0;
    std::uint8_t parameter = 0;  // 0 for a repeat end, which has none
};

// The tone data cut into commands; a repeat end takes one byte, every other command two. A
// lone last byte is a command whose parameter reads as 0.
std::vector<ToneCommand> ReadToneCommands(formats::ByteView toneData);

// Characters of the notes text: start counted from 0, length in characters (Latin-1 bytes).
struct TextRange {
    std::size_t start = 0;
    std::size_t length = 0;

    friend bool operator==(const TextRange&, const TextRange&) = default;
};

struct TimedEvent {
    std::uint8_t code = 0;     // 0x40 pause, 0x41..0xFF note (semitones, 0x7C = a of octave 4)
    std::uint64_t start = 0;   // duration units from the start of the melody
    std::uint64_t units = 0;   // length in duration units (1/120 s)
    std::size_t offset = 0;    // byte offset of its first command in the tone data
    std::size_t commands = 0;  // tied commands it is made of
    bool vibration = false;    // the vibration motor runs while it plays
    double tempo = 0;          // beats per minute of the ringtone text it was written at; 0 unknown
    // The token of the notes text that wrote its first command, when the tone data came from
    // the encoder (see AttachTokens).
    std::optional<TextRange> token;
    // A pause that is the silent rest of a note its own token cut short with staccato.
    bool staccatoRest = false;

    bool IsPause() const { return code == formats::tone::kPause; }
    double StartSeconds() const { return static_cast<double>(start) / formats::tone::kUnitsPerSecond; }
    double Seconds() const { return static_cast<double>(units) / formats::tone::kUnitsPerSecond; }
};

// Something of the tone data the event list does not show.
struct ToneNotice {
    std::size_t offset = 0;
    std::string what;  // one sentence
};

struct Timeline {
    std::vector<TimedEvent> events;
    std::uint64_t units = 0;          // the whole length in duration units
    std::vector<ToneNotice> notices;  // skipped commands, repeats unrolled, the cap reached
    // Where and why the events stop before the tone data does (also among the notices): the
    // note that crosses ten minutes is kept up to the cap; past kMaxTimelineEvents no more.
    std::optional<ToneNotice> cut;
};

// The cut of a timeline as a warning that says where the melody stops, for what is written
// from the events (MIDI, the piano roll); nothing when it is whole.
std::optional<std::string> CutWarning(const Timeline& timeline);

// A note code as ringtone text names it: code 67 is the c of octave 0, one semitone per code,
// sharps for the black keys (so 0x7C is a of octave 4, 0x8C is c# of octave 6).
struct NoteName {
    char letter = 'c';  // c d e f g a b
    bool sharp = false;
    int octave = 0;  // below 0 for codes under 67
};
NoteName NameOfCode(std::uint8_t code);

// The name as ringtone text writes it, octave last: "a4", "c#6", "g#-1"; "pause" for 0x40.
std::string NoteLabel(std::uint8_t code);

// The hardware the preview emulates (the Hardware box; the synthesiser's TrueHardware number).
// The phone sounds the notes from a of octave 4 (0x7C) to 0xA2; the flashing tool's own
// preview from c of octave 4 (0x73) to 0xA2. A note outside is played as kReplacementCode at
// a tenth of the level, a quiet stand-in rather than silence.
enum class Hardware { None = 0, Phone = 1, LogoManager = 2 };
inline constexpr std::uint8_t kReplacementCode = 0x94;
inline constexpr double kReplacementLevel = 0.1;

// Whether a note code lies outside what the hardware sounds; a pause never does.
bool OutOfRange(std::uint8_t code, Hardware hardware);

// What is heard for a code under a hardware: the code itself at full level, or the stand-in.
struct Sounded {
    std::uint8_t code = 0;
    double level = 1.0;
};
Sounded SoundedAs(std::uint8_t code, Hardware hardware);

// The hardware choices under which a code is out of range, as lower-case words separated by
// blanks ("phone", "phone logomanager"), empty when every choice sounds it.
std::string OutOfRangeWords(std::uint8_t code);

// One sound of the tone data: consecutive commands of one code tied together.
struct ToneSound {
    std::uint8_t code = 0;     // 0x40 pause, 0x41..0xFA note
    std::uint64_t units = 0;   // the tied commands' lengths added up
    std::size_t offset = 0;    // byte offset of its first command
    std::size_t commands = 0;  // tied commands it is made of
    int vibration = 0;         // the motor: 0 off, 1 on, 2 on and sped up by a second "on"
};

// What reading tone data meets, in order. The timeline and the synthesiser both read tone data
// through WalkToneData and differ only in what they make of it. A false return stops the walk.
class ToneWalker {
public:
    virtual ~ToneWalker() = default;
    virtual bool Sound(const ToneSound& sound) = 0;
    virtual bool RepeatStart(std::size_t offset, unsigned plays) = 0;
    virtual bool RepeatEnd(std::size_t offset) = 0;
    // The motor's state after a vibration on (0A 01) or off (0A FE).
    virtual void Vibration(std::size_t offset, int state) {
        static_cast<void>(offset);
        static_cast<void>(state);
    }
    // A command nothing plays (the closing markers 0A 0A and 0A 0E are not reported).
    virtual void Skipped(const ToneCommand& command) { static_cast<void>(command); }
};

// Reads tone data as the phone plays it: commands two bytes each and a repeat end one byte;
// equal codes 0x40 and above tied into one sound (codes above 0xFA tied and skipped); the
// vibration state kept across sounds.
void WalkToneData(formats::ByteView toneData, ToneWalker& walker);

// The events of bare tone data (no record header), in playing order.
Timeline BuildTimeline(formats::ByteView toneData);

// A stretch of time in duration units, end exclusive.
struct UnitSpan {
    std::uint64_t start = 0;
    std::uint64_t end = 0;

    friend bool operator==(const UnitSpan&, const UnitSpan&) = default;
};

// The stretches in which the vibration motor runs: runs of events with vibration set.
std::vector<UnitSpan> VibrationSpans(const Timeline& timeline);

// Where the tempo changes: the first event with a known tempo, then each event whose tempo
// differs from the one before it.
struct TempoChange {
    std::uint64_t start = 0;
    double tempo = 0;
};
std::vector<TempoChange> TempoChanges(const Timeline& timeline);

// One token of the notes text and the tone data it wrote: the encoder's account of its work.
struct TokenSpan {
    TextRange text;
    std::size_t dataStart = 0;  // byte offsets in the tone data, end exclusive; equal when
    std::size_t dataEnd = 0;    // the token wrote nothing (a tempo tag, an unknown letter)
    double tempo = 0;           // the tempo in force after the token
};

// Gives each event the token that wrote its first command and the tempo then in force, and
// marks the rest of a staccato note: a pause whose token is the token of the note before it.
void AttachTokens(Timeline& timeline, const std::vector<TokenSpan>& spans);

}  // namespace belltower::melody
