// Tone data as timed notes: what the phone plays, one event per sounding stretch.
//
// The commands are read as the synthesiser reads them (see preview/wav_writer.h and
// formats/tone_commands.h): consecutive commands of the same code 0x40 or above are tied into
// one event, so a long note stored as 125-unit pieces is one event; vibration commands switch
// the motor for the events after them; a repeat start (05 n) and a repeat end (the single byte
// 06) play the events between them n times, as far as kMaxTimelineUnits allows. Codes below
// 0x40 other than those are skipped.
//
// The ringtone-text decoder and the MIDI writer both read melodies through this list; the
// decoder fills in the tempo it wrote each event at.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/bytes.h"
#include "formats/tone_commands.h"

namespace belltower::melody {

// The preview's cap: ten minutes of duration units (1/120 s).
inline constexpr std::uint64_t kMaxTimelineUnits = 600 * 120;

// One command of the tone data as it stands in the bytes.
struct ToneCommand {
    std::size_t offset = 0;  // byte offset in the tone data
    std::uint8_t code = 0;
    std::uint8_t parameter = 0;  // 0 for a repeat end, which has none
};

// The tone data cut into commands; a repeat end takes one byte, every other command two. A
// lone last byte is a command whose parameter reads as 0.
std::vector<ToneCommand> ReadToneCommands(formats::ByteView toneData);

struct TimedEvent {
    std::uint8_t code = 0;     // 0x40 pause, 0x41..0xFF note (semitones, 0x7C = a of octave 4)
    std::uint64_t start = 0;   // duration units from the start of the melody
    std::uint64_t units = 0;   // length in duration units (1/120 s)
    std::size_t offset = 0;    // byte offset of its first command in the tone data
    std::size_t commands = 0;  // tied commands it is made of
    bool vibration = false;    // the vibration motor runs while it plays
    double tempo = 0;          // beats per minute of the ringtone text it was written at; 0 unknown

    bool IsPause() const { return code == formats::tone::kPause; }
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
};

// A note code as ringtone text names it: code 67 is the c of octave 0, one semitone per code,
// sharps for the black keys (so 0x7C is a of octave 4, 0x8C is c# of octave 6).
struct NoteName {
    char letter = 'c';  // c d e f g a b
    bool sharp = false;
    int octave = 0;  // below 0 for codes under 67
};
NoteName NameOfCode(std::uint8_t code);

// The events of bare tone data (no record header), in playing order.
Timeline BuildTimeline(formats::ByteView toneData);

}  // namespace belltower::melody
