// SPDX-License-Identifier: GPL-3.0-or-later
// MIDI files out and in: byte for byte where Belltower writes them, one voice from anything a
// sequencer writes, and damaged files refused.
#include <gtest/gtest.h>

#include <algorithm>

#include "interchange/midi.h"
#include "melody/tone_encoder.h"
#include "support/hex.h"
#include "support/hostile_inputs.h"

namespace belltower::interchange {
namespace {

using formats::Bytes;
using formats::ErrorCode;
using testing::Hex;

Bytes Record(const char* notes, const char* tempo = "125") {
    const melody::MelodyFields fields{.name = "Hi", .duration = "4", .tempo = tempo, .notes = notes, .delay = "0"};
    return *melody::EncodeMelody(fields, formats::TextFormat::Ascii, std::nullopt).record;
}

// A file of format 0 with one track, 96 ticks a quarter, up to the track's length field.
const std::string kOneTrack = "4D546864 00000006 0000 0001 0060 4D54726B ";

TEST(Midi, WritesOneTrackByteForByteAndReadsBackWhatItWrote) {
    const Bytes expected = Hex("4D546864 00000006 0000 0001 01E0"  // format 0, one track, 480 ticks a quarter
                               "4D54726B 00000024"                 // the track, 36 bytes
                               "00 FF03 02 4869"                   // name "Hi"
                               "00 FF51 03 075300"                 // 480000 us a quarter: 125 beats per minute
                               "00 90 54 64   8360 80 54 00"       // c6 (code 0x8B) for a quarter
                               "8360 90 74 64 8170 80 74 00"       // a quarter rest, then g#9 an octave down (MIDI
                               "00 FF2F00");                       // stops at 127) for an eighth; end of track
    EXPECT_BYTES_EQ(expected, *WriteMidiMelody(Record("c p 8g#9")));
    // Written from the typed melody, with no decoding: the same file, the closing delay too.
    for (const char* delay : {"0", "3"}) {
        const melody::MelodyFields fields{
            .name = "Hi", .duration = "4", .tempo = "100", .notes = "c p 8e6", .delay = delay};
        EXPECT_BYTES_EQ(*WriteMidiMelody(*melody::EncodeMelody(fields, formats::TextFormat::Ascii, {}).record),
                        *WriteMidi(melody::ReadScore(fields)));
    }
    // The melody comes back playing the same: the same tone data once encoded. Plain notes; a
    // tempo change; long notes cut into pieces, repeated notes.
    for (const auto& [notes, tempo] :
         {std::pair{"c p 8e6 2g#5 16a.", "125"}, {"8c 8d 4e t250 8f 8g", "100"}, {"1c 1c 2.d", "63"}}) {
        const Bytes record = Record(notes, tempo);
        const auto imported = ReadMidi(*WriteMidiMelody(record));
        ASSERT_TRUE(imported.has_value()) << notes << ": " << imported.error().message;
        EXPECT_TRUE(imported->warnings.empty()) << notes;
        melody::MelodyFields fields = imported->fields;
        fields.name = "Hi";
        EXPECT_BYTES_EQ(record, *melody::EncodeMelody(fields, formats::TextFormat::Ascii, std::nullopt).record)
            << notes << " came back as " << imported->fields.notes;
    }
}

// One voice from what a sequencer writes (the highest of overlapping notes, several tracks);
// damaged files refused with a clear message.
TEST(MidiReader, KeepsOneVoiceOfAnyFileAndRefusesDamagedOnes) {
    const struct {
        Bytes file;
        const char* read;     // name|octave|tempo|notes, or the error code when refused
        const char* message;  // a part of the one warning or of the error, "" for no warning
    } table[] = {
        // Middle c for a half note; e sounds above it for the second eighth of it.
        {Hex("4D546864 00000006 0000 0001 01E0 4D54726B 00000017"
             "00 90 3C 40  83 60 90 40 40  81 70 80 40 00  81 70 80 3C 00  00 FF 2F 00"),
         "|4|120|4c e c", "highest"},
        {Hex("4D546864 00000006 0001 0003 0060"                                          // format 1, three tracks
             "4D54726B 0000000B 00 FF 51 03 0F 42 40  00 FF 2F 00"                       // 60 beats per minute
             "4D54726B 00000012 00 FF 03 03 416263  00 90 45 50  60 45 00  00 FF 2F 00"  // a4, running status
             "4D54726B 0000000D 81 40 91 47 50  30 81 47 00  00 FF 2F 00"),              // b4 on channel 2
         "Abc|4|60|a p 8b", ""},
        // 256 ticks a quarter; a tempo change on the tick a note starts times that note.
        {Hex("4D546864 00000006 0000 0001 0100 4D54726B 00000024 00 FF51 03 0F4240 00 90 3C 40 8200 80 3C 00"
             "00 FF51 03 07A120 00 90 3E 40 8200 80 3E 00 00 FF 2F 00"),
         "|4|60|c t120 d", ""},
        // Key pressure on a sounding note and a note off with no note on end nothing; drums are left out.
        {Hex(kOneTrack + "00000018 00 90 3C 40 30 A0 3C 20 00 80 3E 00 00 99 48 40 30 80 3C 00 00 FF 2F 00"),
         "|4|120|c", "drum notes"},
        {Hex("52494646"), "bad input", "not a MIDI file"},
        {Hex("4D546864 00000006 0000"), "damaged", "header chunk is cut short"},
        {Hex("4D546864"), "damaged", "header chunk is cut short"},
        {Hex("4D546864 00000006 0000 0001 0000 4D54726B 00000004 00 FF 2F 00"), "bad input", "division of 0"},
        {Hex(kOneTrack + "00000020 00 90 3C 40"), "damaged", "past the end of the file"},
        {Hex(kOneTrack + "00000007 00 3C 40 00 FF 2F 00"), "damaged", "running status"},
        {Hex(kOneTrack + "00000003 00 90 3C"), "damaged", "ends inside an event"},
        {Hex(kOneTrack + "00000005 00 FF 03 10 41"), "damaged", "runs past the end"},
        {Hex("4D546864 00000006 0000 0000 0060"), "damaged", "no track"},
    };
    for (const auto& [file, read, message] : table) {
        const auto imported = ReadMidi(file);
        if (!imported) {
            EXPECT_EQ(imported.error().code == ErrorCode::BadInput ? "bad input" : "damaged", std::string(read));
            EXPECT_NE(imported.error().message.find(message), std::string::npos) << imported.error().message;
            continue;
        }
        const auto& f = imported->fields;
        EXPECT_EQ(f.name + "|" + f.octave + "|" + f.tempo + "|" + f.notes, read);
        ASSERT_EQ(imported->warnings.size(), *message == '\0' ? 0U : 1U) << read;
        EXPECT_TRUE(*message == '\0' || imported->warnings[0].find(message) != std::string::npos);
    }
    // Key 0 is a note like any other: one of two whole notes is written in pieces, no small pauses between.
    EXPECT_TRUE(ReadMidi(Hex(kOneTrack + "0000000D 00 90 00 40 8600 80 00 00 00 FF 2F 00"))->fields.noSmallPauses);
}

// Numbers far beyond any melody (a gap of 2^28 ticks, a tempo of 1 microsecond, 2,000 tracks)
// give a melody of bounded size, and the cut is said.
TEST(MidiReader, CutsWhatNoRingtoneHoldsAndSaysWhere) {
    const struct {
        Bytes file;
        const char* warning;
    } table[] = {
        {testing::HugeGapMidi(), "longer than ten minutes; it is cut at 10:00, at tick 1200 of the file."},
        {testing::TinyTempoMidi(), "more notes and pauses than tone data of 65,535 bytes can hold; it is cut"},
        {testing::ManyTrackMidi(2000), "Only the first 1024 tracks are read"},
    };
    for (const auto& [file, warning] : table) {
        const auto imported = ReadMidi(file);
        ASSERT_TRUE(imported.has_value()) << warning;
        const auto& warnings = imported->warnings;
        EXPECT_TRUE(std::any_of(warnings.begin(), warnings.end(), [&](const std::string& w) {
            return w.find(warning) != std::string::npos;
        })) << warning;
        // A token is at most a few characters: "t1000 32c#7." is the longest there is.
        EXPECT_LE(imported->fields.notes.size(), melody::kMaxTimelineEvents * 12) << warning;
    }
}

}  // namespace
}  // namespace belltower::interchange
