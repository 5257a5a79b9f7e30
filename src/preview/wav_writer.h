// SPDX-License-Identifier: GPL-3.0-or-later
// The wave synthesiser: a melody record or bare tone data rendered as a WAV file.
//
// WAV file written (RIFF/WAVE, mono, 16-bit signed PCM). Offsets 0-based, numbers little-endian:
//   offset  size  value
//   0       4     "RIFF"
//   4       4     data size + 36
//   8       4     "WAVE"
//   12      4     "fmt "
//   16      4     16 (format chunk size)
//   20      2     1 (PCM)
//   22      2     1 (channel)
//   24      4     sample rate: 22050, or 11025 in half quality
//   28      4     byte rate: sample rate * 2
//   32      2     2 (block align)
//   34      2     16 (bits per sample)
//   36      4     "data"
//   40      4     data size: sample bytes that follow
//   44      ...   samples, two bytes each, little-endian
//
// Tone data as the phone plays it: two-byte commands (code, parameter).
//   0x05 n        repeat start: remember the current end of the samples and the count n
//   0x06          repeat end, a single byte: the samples since the repeat start are written
//                 again n - 1 times (nothing for n = 0 or 1, nothing without a repeat start)
//   0x0A 0x01     vibration on; a second one speeds the motor hum up by 10 %, a third slows it back
//   0x0A 0xFE     vibration off
//   0x40 d        pause of d duration units (1/120 s each)
//   0x41..0xFA d  note: the code is the pitch in semitones, d its length in duration units
//   anything else is skipped
// Identical consecutive commands of code 0x40 and above (the next code byte equals this one)
// are tied: their durations add up and the waveform runs on without restarting, so a long
// note stored as several pieces of at most 125 units sounds as one.
#pragma once

#include <cstdint>
#include <filesystem>

#include "formats/bytes.h"
#include "formats/file_io.h"
#include "formats/result.h"
#include "melody/timeline.h"

namespace belltower::preview {

inline constexpr std::size_t kWavHeaderSize = 44;
inline constexpr std::uint32_t kSampleRate = 22050;      // also the time grid in half quality
inline constexpr std::uint32_t kHalfSampleRate = 11025;  // half quality: every second sample

// How much a preview may grow. Nested repeats multiply the samples (0x05 255 ... 0x06 0x06 ...
// would run to terabytes), so rendering stops once the samples fill this many seconds of
// audio at the file's sample rate.
struct RenderLimits {
    std::uint32_t maxSeconds = 600;
};

struct WavResult {
    formats::Bytes wav;      // the whole file: header and samples
    bool truncated = false;  // the melody went on past RenderLimits and was cut there
    bool repeated = false;   // a repeat played notes again (so repeats count in the length)
};

// How a melody is rendered: the preview options of the main window and the render command.
struct RenderOptions {
    // Vibration commands switch the motor hum on and off; false ignores them (no hum at all).
    bool vibration = true;
    // 11025 samples per second instead of 22050: the same duration in half the size.
    bool halfQuality = false;
    // Note-range emulation (melody::SoundedAs): Phone sounds the codes 0x7C..0xA2 as the phone
    // plays them, LogoManager 0x73..0xA2 as the flashing tool does; any other note sounds as
    // code 0x94 at a tenth of the level. None (or a value outside the names) plays every note.
    melody::Hardware hardware = melody::Hardware::None;
};

// The part of `melody` that is played. When the big-endian number in bytes 4..7 equals the
// length of `melody`, it is taken as a whole melody record: Unicode when byte 17 is 1..31
// (byte 17 is then the name-length byte k and playing starts at offset 20 + 2k), ASCII
// otherwise (byte 16 is k, start 19 + k). Either start lies two bytes into the tone data, past
// the opening command 00 02. Otherwise all of it is tone data. Missing bytes read as 0; a start
// past the end gives nothing to play.
formats::ByteView PlayedToneData(formats::ByteView melody);

// The WAV file for `melody` (a melody record or bare tone data, see PlayedToneData).
// Never fails: unknown codes are skipped and missing bytes read as 0. Both size fields of the
// header always agree with the samples written (RIFF size = data size + 36).
WavResult WriteWav(formats::ByteView melody, const RenderOptions& options, const RenderLimits& limits = {});

struct WavFileInfo {
    std::uint32_t dataSize = 0;  // sample bytes written
    bool truncated = false;      // as WavResult::truncated
};

// WriteWav's file written to waveFile through formats::WriteFileAtomic: a player still reading
// the previous preview keeps its file, and a failed write leaves the old file as it was.
// Io error with the operating system's description when the file cannot be written.
// `fault` makes the write fail part-way, for tests (see formats::WriteFileAtomic).
formats::Result<WavFileInfo> WriteWavFile(formats::ByteView melody, const std::filesystem::path& waveFile,
                                          const RenderOptions& options, const RenderLimits& limits = {},
                                          const formats::WriteFault* fault = nullptr);

}  // namespace belltower::preview
