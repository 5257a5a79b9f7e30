// SPDX-License-Identifier: GPL-3.0-or-later
// The commands of the phone's tone data, named once for everything that writes or reads them.
//
// Tone data is a sequence of commands, each a code byte and a parameter byte:
//   code   parameter   meaning
//   00     02          opening, first command
//   FC     09          opening, second command
//   0A     01          vibration on (also the third opening command)
//   0A     FE          vibration off; the closing marker of a melody played as often as it rings
//   0A     0A          closing marker "suggest playing twice"
//   0A     0E          "force one play"
//   05     n           repeat start: what follows up to the repeat end plays n times
//   06     -           repeat end: a single byte, no parameter
//   40     n           pause of n duration units (1/120 s)
//   41..FF n           note: the code is the pitch in semitones (7C is the a of octave 4), n its length
//   07     0B          end of the melody
#pragma once

#include <array>
#include <cstdint>

namespace belltower::formats::tone {

inline constexpr std::uint8_t kOpeningCode = 0x00;
inline constexpr std::uint8_t kOpeningParameter = 0x02;
inline constexpr std::uint8_t kOpeningSecondCode = 0xFC;
inline constexpr std::uint8_t kOpeningSecondParameter = 0x09;

inline constexpr std::uint8_t kVibration = 0x0A;  // the code of every marker below
inline constexpr std::uint8_t kVibrationOn = 0x01;
inline constexpr std::uint8_t kVibrationOff = 0xFE;
inline constexpr std::uint8_t kPlayTwice = 0x0A;
inline constexpr std::uint8_t kPlayOnce = 0x0E;

inline constexpr std::uint8_t kRepeatStart = 0x05;
inline constexpr std::uint8_t kRepeatEnd = 0x06;

inline constexpr std::uint8_t kPause = 0x40;
inline constexpr std::uint8_t kLowestNote = 0x41;
inline constexpr std::uint8_t kHighestPlayedNote = 0xFA;  // the synthesiser skips codes above it
inline constexpr std::uint8_t kConcertA = 0x7C;           // a of octave 4, 441.7 Hz in the preview

inline constexpr std::uint8_t kEndCode = 0x07;
inline constexpr std::uint8_t kEndParameter = 0x0B;

// The longest note or pause one command holds; longer ones are written as several pieces.
inline constexpr std::uint8_t kPieceUnits = 125;
// The pause placed between two equal notes so that the phone sounds them as two.
inline constexpr std::uint8_t kSmallPauseUnits = 2;

inline constexpr std::uint32_t kUnitsPerSecond = 120;

// The length rule of the phone's melodies: a note of fraction f (4 for a quarter) at a tempo of
// b beats a minute lasts kLengthRule / (f x b) duration units, half as long again when dotted
// (a quarter at 125 beats a minute: 58 units, 0.48 s).
inline constexpr double kLengthRule = 29000;

// The notes each hardware emulation of the preview sounds: the phone from a of octave 4 to b
// of octave 7, the flashing tool's own preview from c of octave 4 to the same top.
inline constexpr std::uint8_t kPhoneLowestNote = 0x7C;
inline constexpr std::uint8_t kLogoManagerLowestNote = 0x73;
inline constexpr std::uint8_t kHighestSoundedNote = 0xA2;

// Every melody the encoder writes starts with these six bytes.
inline constexpr std::array<std::uint8_t, 6> kOpening = {
    kOpeningCode, kOpeningParameter, kOpeningSecondCode, kOpeningSecondParameter, kVibration, kVibrationOn};

}  // namespace belltower::formats::tone
