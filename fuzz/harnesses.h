// The fuzz harnesses: each takes one input of arbitrary bytes, drives one reader or writer of
// the core with it and checks the promises its header makes. libFuzzer calls them through
// libfuzzer_entry.cpp; the replay test calls them on every seed and saved finding.
//
// The first bytes of an input choose the options; the rest is the data. The layouts below are
// what the seed generator writes and what a saved finding means.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "formats/bytes.h"

namespace belltower::fuzz {

// RTX reader, RTX writer and tone encoder.
//   byte 0       options, kRtx* bits
//   bytes 1, 2   with kRtxSelection: selection start and length in the notes text
//   rest         kRtxFields clear: the bytes of an RTX file, read with ReadRtxText over the
//                default fields; kRtxFields set: the edit fields themselves, separated by
//                kRtxFieldSeparator in the order name, duration, octave, tempo, notes, ID,
//                delay, index, staccato (missing ones keep their defaults, the last one takes
//                the rest)
// The fields are encoded with EncodeMelody and written back with WriteRtxText.
inline constexpr std::uint8_t kRtxUnicode = 0x01;
inline constexpr std::uint8_t kRtxSelection = 0x02;
inline constexpr std::uint8_t kRtxFields = 0x04;
inline constexpr std::uint8_t kRtxPlayTwice = 0x08;
inline constexpr std::uint8_t kRtxForceOnePlay = 0x10;
inline constexpr std::uint8_t kRtxNoSmallPauses = 0x20;
inline constexpr char kRtxFieldSeparator = '|';
void FuzzRtxEncoder(formats::ByteView input);

// Wave synthesiser.
//   byte 0       options: kWav* bits, and the note-range emulation in bits 2-3 (0 none,
//                1 phone, 2 flashing tool, 3 an out-of-range value)
//   rest         kWavRecord clear: Noty itself, as it comes (bare tone data, or a record when
//                its length field happens to match); kWavRecord set: byte 1 is a name length
//                n (modulo 32), n name bytes follow, and the rest is tone data, all built into
//                a melody record (Unicode with kWavUnicode)
// Rendered with a one-second limit so that no input takes long.
inline constexpr std::uint8_t kWavNoVibration = 0x01;
inline constexpr std::uint8_t kWavHalfQuality = 0x02;
inline constexpr int kWavTrueHardwareShift = 2;
inline constexpr std::uint8_t kWavRecord = 0x10;
inline constexpr std::uint8_t kWavUnicode = 0x20;
void FuzzWavWriter(formats::ByteView input);

struct Harness {
    std::string_view name;  // also the folder name of its seeds and findings
    void (*run)(formats::ByteView input);
};

// Every harness, for the replay test.
std::span<const Harness> AllHarnesses();

}  // namespace belltower::fuzz
