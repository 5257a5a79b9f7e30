// SPDX-License-Identifier: GPL-3.0-or-later
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

// Firmware reader, and the save of what it read.
//   byte 0       options, kFirmware* bits
//   rest         the image; with kFirmwareBlockBefore it comes after one 64 KB block of zero
//                bytes, and with kFirmwarePadBlock 0xFF bytes follow it up to the end of its
//                last 64 KB block (only whole blocks are searched for the PPM section)
// A read image is also put into an earlier bank (kept or replaced as kFirmwareKeepBank says),
// saved, and read again.
inline constexpr std::uint8_t kFirmwareBlockBefore = 0x01;
inline constexpr std::uint8_t kFirmwarePadBlock = 0x02;
inline constexpr std::uint8_t kFirmwareKeepBank = 0x04;
inline constexpr std::uint8_t kFirmwareEarlierUnicode = 0x08;
void FuzzFirmwareReader(formats::ByteView input);

// RE import and export: the whole input is the RE file. It is validated, imported into an
// ASCII and a Unicode bank, shown in the property panel, converted and exported both ways.
void FuzzRecordExchange(formats::ByteView input);

// List operations on a bank loaded from a generated firmware image.
//   byte 0       the bank: bits 0-3 the number of melodies, bit 6 no firmware loaded (a bare
//                bank), bit 7 Unicode
//   bytes 1, 2   the length of a chunk after TONE and of the bytes behind the chain
//   rest         steps, each an operation byte (modulo 12: move up, move down, replace,
//                insert, delete, reindex, apply edits, replace from RE, insert from RE, show,
//                save and reload, export) and a selection byte (0xFF nothing selected, else
//                modulo the number of lines + 1), followed by the step's data: a record
//                (kind byte: 0 well made in the bank's format, 1 in the other format, 2 raw
//                bytes with a length byte; a well-made one takes a name, index, purpose and
//                extra tone bytes), the four typed texts of an edit (each a length byte and
//                the characters), or the export's format byte
// At most 64 steps are taken.
void FuzzListOperations(formats::ByteView input);

// Smart Messaging (.ott) reader and writer.
//   byte 0       options, kOtt* bits; bits 1-2 with kOttNotes: the default octave, 4 to 7
//   rest         kOttNotes clear: an .ott file, read, written again from what was read, and
//                read once more; kOttNotes set: a notes text over the default fields, written
//                as an .ott file and read back
inline constexpr std::uint8_t kOttNotes = 0x01;
inline constexpr std::uint8_t kOttPlayTwice = 0x08;
void FuzzOttReader(formats::ByteView input);

// Tone decoder.
//   byte 0       options, kDecode* bits
//   kDecodeNotes clear: the rest is a melody record or bare tone data, decoded; the decoded
//                fields must encode, and give the input back whenever the decoder says exact
//   kDecodeNotes set: byte 1 the staccato length (0 to 63), byte 2 the tempo (25 + 4 x byte),
//                byte 3 the delay; the rest is a notes text over the default fields. What the
//                encoder makes of it must decode exactly: encoding the decoded fields gives
//                the same record
inline constexpr std::uint8_t kDecodeNotes = 0x01;
inline constexpr std::uint8_t kDecodeUnicode = 0x02;
inline constexpr std::uint8_t kDecodePlayTwice = 0x04;
inline constexpr std::uint8_t kDecodeForceOnePlay = 0x08;
inline constexpr std::uint8_t kDecodeNoSmallPauses = 0x10;
void FuzzToneDecoder(formats::ByteView input);

// MIDI reader and writer: the whole input is read as a MIDI file (refused with DamagedData or
// BadInput, or read into fields the encoder takes), and written from as tone data: the file
// written must read back without a refusal.
void FuzzMidiReader(formats::ByteView input);

// iMelody and Composer readers and writers.
//   byte 0       options, kText* bits
//   rest         kTextRingtone clear: an iMelody file (a Composer text with kTextComposer),
//                read, written again from what was read and, when the writer says nothing,
//                read back to the same notes; kTextRingtone set: ringtone text, written in
//                the format and read back the same way
inline constexpr std::uint8_t kTextComposer = 0x01;
inline constexpr std::uint8_t kTextRingtone = 0x02;
void FuzzTextRingtones(formats::ByteView input);

struct Harness {
    std::string_view name;  // also the folder name of its seeds and findings
    void (*run)(formats::ByteView input);
};

// Every harness, for the replay test.
std::span<const Harness> AllHarnesses();

}  // namespace belltower::fuzz
