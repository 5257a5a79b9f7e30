// SPDX-License-Identifier: GPL-3.0-or-later
// MIDI files out and in: byte for byte where Belltower writes them, one voice from anything a
// sequencer writes, and damaged files refused.
#include <gtest/gtest.h>

#include <algorithm>

#include "interchange/midi.h"
#include "melody/tone_encoder.h"
#include "support/hex.h"
#include "support/hostile_inputs.h"
#include "support/midi_builder.h"

namespace belltower::interchange {
namespace {

using formats::Bytes;
using formats::ErrorCode;
using testing::BuiltNote;
using testing::ExpectWarning;
using testing::Hex;
using testing::MidiFile;
using testing::MidiTrack;

// A file of format 0 with one track, 96 ticks a quarter, up to the track's length field.
const std::string kOneTrack = "4D546864 00000006 0000 0001 0060 4D54726B ";

TEST(Midi, WritesOneTrackByteForByte) {
    const Bytes expected = Hex("4D546864 00000006 0000 0001 01E0"  // format 0, one track, 480 ticks a quarter
                               "4D54726B 00000024"                 // the track, 36 bytes
                               "00 FF03 02 4869"                   // name "Hi"
                               "00 FF51 03 075300"                 // 480000 us a quarter: 125 beats per minute
                               "00 90 54 64   8360 80 54 00"       // c6 (code 0x8B) for a quarter
                               "8360 90 74 64 8170 80 74 00"       // a quarter rest, then g#9 an octave down (MIDI
                               "00 FF2F00");                       // stops at 127) for an eighth; end of track
    const melody::MelodyFields hi{.name = "Hi", .duration = "4", .tempo = "125", .notes = "c p 8g#9", .delay = "0"};
    EXPECT_BYTES_EQ(expected, *WriteMidiMelody(*melody::EncodeMelody(hi, formats::TextFormat::Ascii, {}).record));
    // No notes: the closing delay (3 units, 25 ticks) at the default 125 beats per minute.
    EXPECT_BYTES_EQ(Hex("4D546864 00000006 0000 0001 01E0 4D54726B 00000010 00 FF03 01 45 00 FF51 03 075300"
                        "19 FF2F00"),
                    *WriteMidi(melody::ReadScore({.name = "E", .tempo = "125", .notes = "", .delay = "3"})));
    // Written from the typed melody, with no decoding: the same file, the closing delay too.
    for (const char* delay : {"0", "3"}) {
        const melody::MelodyFields fields{
            .name = "Hi", .duration = "4", .tempo = "100", .notes = "c p 8e6", .delay = delay};
        EXPECT_BYTES_EQ(*WriteMidiMelody(*melody::EncodeMelody(fields, formats::TextFormat::Ascii, {}).record),
                        *WriteMidi(melody::ReadScore(fields)));
    }
}

// What a sequencer writes read into one voice; damaged files read as far as they go, with a
// warning, and refused only when there is nothing to read.
TEST(MidiReader, ReadsWhatItCanOfAnyFile) {
    const struct {
        Bytes file;
        const char* read;     // name|octave|tempo|notes, or the error code when refused
        const char* message;  // a part of a warning or of the error, "" for no warning
    } table[] = {
        // Middle c for a half note; e sounds above it for the second eighth of it.
        {Hex("4D546864 00000006 0000 0001 01E0 4D54726B 00000017"
             "00 90 3C 40  83 60 90 40 40  81 70 80 40 00  81 70 80 3C 00  00 FF 2F 00"),
         "|4|120|4c e c", "highest"},
        // Of two tracks of one note each, the higher is picked; running status; the tempo of the first track.
        {Hex("4D546864 00000006 0001 0003 0060"                                          // format 1, three tracks
             "4D54726B 0000000B 00 FF 51 03 0F 42 40  00 FF 2F 00"                       // 60 beats per minute
             "4D54726B 00000012 00 FF 03 03 416263  00 90 45 50  60 45 00  00 FF 2F 00"  // a4, running status
             "4D54726B 0000000D 81 40 91 47 50  30 81 47 00  00 FF 2F 00"),              // b4 on channel 2
         "|4|60|p 8b", "track 3 is read"},
        // Running status after a meta event, a note-on of velocity 0 ending the note, a
        // note-off with no note-on, an extra chunk.
        {Hex(kOneTrack + "00000013 00 90 3C 40  00 FF 01 00  60 3C 00  00 80 40 00  60 FF 2F 00"
                         "58595A57 00000002 0000"),
         "|4|120|c p", "running status after a meta event"},
        // Song position (two data bytes), song select and a time code (one), a tune request (none), around system
        // exclusive events (a length, then its bytes).
        {Hex(kOneTrack + "00000021 00 90 3C 40  00 F2 01 02  00 F0 02 7E F7  00 F3 05  00 F7 01 05  00 F1 07"
                         "00 F6  60 80 3C 00  00 FF 2F 00"),
         "|4|120|c", "F1 to FE"},
        {Hex(kOneTrack + "00000010 00 90 3C 40 60 80 3C 00"), "|4|120|c", "past the end of the file"},
        {Hex(kOneTrack + "00000008 00 90 3C 40 60 80 3C 00"), "|4|120|c", ""},  // no end of track: none needed
        {Hex(kOneTrack + "0000000B 00 90 3C 40 60 80 3C 00 00 90 3C"), "|4|120|c", "ends inside an event"},
        {Hex(kOneTrack + "00000007 00 3C 40 00 FF 2F 00"), "|5|120|", "running status with no status"},
        {Hex(kOneTrack + "00000005 00 FF 03 10 41"), "|5|120|", "runs past the end"},
        // 256 ticks a quarter; a tempo change on the tick a note starts times that note.
        {Hex("4D546864 00000006 0000 0001 0100 4D54726B 00000024 00 FF51 03 0F4240 00 90 3C 40 8200 80 3C 00"
             "00 FF51 03 07A120 00 90 3E 40 8200 80 3E 00 00 FF 2F 00"),
         "|4|60|c t120 d", ""},
        // Key and channel pressure, a program change and a note off with no note on end nothing; drums are left out.
        {Hex(kOneTrack + "0000001E 00 90 3C 40 30 A0 3C 20 00 D0 20 00 C0 05 00 80 3E 00 00 99 48 40 30 80 3C 00"
                         "00 FF 2F 00"),
         "|4|120|c", "drum notes"},
        {Hex(kOneTrack + "00000014 00 90 3C 40 01 80 3C 00 00 90 3E 40 60 80 3E 00 00 FF 2F 00"), "|4|120|d",
         "shorter than half a sixty-fourth"},  // a note of one tick
        {Hex(kOneTrack + "0000001B 00 FF51 03 030D40 00 90 00 40 06 80 00 00 00 90 3C 40 60 80 3C 00 00 FF 2F 00"),
         "|1|300|64c c4", "moved by octaves"},  // key 0 for a sixty-fourth at 300 beats a minute: a note all the same
        {Hex("4D546864 00000006 0002 0001 0060 4D54726B 00000008 00 90 3C 40 60 80 3C 00"), "|4|120|c", ""},
        {Hex("4D546864 00000006 0003 0001 0060 4D54726B 00000008 00 90 3C 40 60 80 3C 00"), "bad input",
         "unknown format 3"},
        {Hex("52494646"), "bad input", "not a MIDI file"},
        {Hex("4D546864 00000006 0000"), "damaged", "header chunk is cut short"},
        {Hex("4D546864"), "damaged", "header chunk is cut short"},
        {Hex("4D546864 00000006 0000 0001 0000 4D54726B 00000004 00 FF 2F 00"), "bad input", "division of 0"},
        {Hex("4D546864 00000006 0000 0000 0060"), "damaged", "no track"},
    };
    for (const auto& [file, read, message] : table) {
        const auto imported = ReadMidi(file, {.transpose = 0});
        if (!imported) {
            EXPECT_EQ(imported.error().code == ErrorCode::BadInput ? "bad input" : "damaged", std::string(read));
            EXPECT_NE(imported.error().message.find(message), std::string::npos) << imported.error().message;
            continue;
        }
        const auto& f = imported->fields;
        EXPECT_EQ(f.name + "|" + f.octave + "|" + f.tempo + "|" + f.notes, read);
        ExpectWarning(imported->warnings, message);
    }
    // Time code division, 25 frames a second of 40 ticks: a second is a half note at 120.
    const auto smpte =
        ReadMidi(Hex("4D546864 00000006 0000 0001 E728 4D54726B 0000000D 00 90 3C 40 87 68 80 3C 00 00 FF 2F 00"));
    EXPECT_EQ(smpte->fields.duration + "|" + smpte->fields.notes, "2|c");
    // Key 0 is a note like any other: moved up six octaves into the phone's range, one of two whole notes
    // written in pieces with no small pauses between, unless another key 0 follows, which needs its break.
    const auto whole = ReadMidi(Hex(kOneTrack + "0000000D 00 90 00 40 8600 80 00 00 00 FF 2F 00"));
    EXPECT_EQ(whole->fields.octave + "|" + whole->fields.notes, "5|c. 2c");
    EXPECT_TRUE(whole->fields.noSmallPauses);
    const auto again = ReadMidi(
        Hex(kOneTrack + "00000015 00 90 00 40 8600 80 00 00 00 90 00 40 60 80 00 00 00 FF 2F 00"), {.transpose = 0});
    EXPECT_FALSE(again->fields.noSmallPauses);
    ExpectWarning(again->warnings, "Tied notes are written as repeated notes");
}

// `count` notes a quarter (96 ticks) apart, each `length` long, their keys going round `keys`.
std::vector<BuiltNote> Quarters(std::uint32_t count, std::uint32_t length, const std::vector<int>& keys,
                                int channel = 1) {
    std::vector<BuiltNote> notes;
    for (std::uint32_t i = 0; i < count; ++i) {
        notes.push_back({i * 96, i * 96 + length, keys[i % keys.size()], channel});
    }
    return notes;
}

// A song as sequencers write it: a title track, chords, the tune, a bass line, drums; 96 ticks a quarter.
const std::vector<BuiltNote> kChords = {{0, 192, 60},   {0, 192, 64},   {0, 192, 67},
                                        {192, 384, 65}, {192, 384, 69}, {192, 384, 72}};
const std::vector<BuiltNote> kTune = Quarters(4, 96, {72, 74, 76, 77}, 2);
const std::vector<BuiltNote> kBass = Quarters(4, 96, {36, 43, 41, 36}, 3);
const std::vector<BuiltNote> kDrums = Quarters(4, 48, {36, 38}, 10);

// Every track's figures, and the pick: never the drums, the tune over chords and bass, a name
// that says it is the tune over a tune-like track without one.
TEST(MidiTracks, ListsEveryTrackAndPicksTheTune) {
    const Bytes title = MidiTrack({}, "Song", -1, 100);
    const Bytes song = MidiFile(1, 96,
                                {title, MidiTrack(kChords, "Piano", 0), MidiTrack(kTune, "", 73),
                                 MidiTrack(kBass, "Bass", 33), MidiTrack(kDrums, "Drums")});
    const auto list = ListMidiTracks(song);
    ASSERT_TRUE(list.has_value());
    std::string listed;
    for (const MidiTrackSummary& t : list->tracks) {
        listed += std::to_string(t.number) + " " + t.name + "|" + t.instrument + "|";
        for (const int channel : t.channels) {
            listed += std::to_string(channel) + ",";
        }
        listed += "|" + std::to_string(t.notes) + " " +
                  (t.low < 0 ? "-" : MidiNoteName(t.low) + "-" + MidiNoteName(t.high)) + " " +
                  std::to_string(t.maxPolyphony) + (t.drums ? " drums" : "") + "\n";
    }
    EXPECT_EQ(listed, "1 Song|||0 - 0\n"
                      "2 Piano|Acoustic Grand Piano|1,|6 c4-c5 3\n"
                      "3 |Flute|2,|4 c5-f5 1\n"
                      "4 Bass|Electric Bass (finger)|3,|4 c2-g2 1\n"
                      "5 Drums||10,|4 c2-d2 1 drums\n");
    const struct {
        std::vector<Bytes> tracks;
        int pick;
    } table[] = {
        {{title, MidiTrack(kChords), MidiTrack(kTune), MidiTrack(kBass), MidiTrack(kDrums)}, 3},
        {{MidiTrack(Quarters(4, 96, {72, 74, 76, 77}, 1)), MidiTrack(kTune, "Lead vocal")}, 2},
        {{MidiTrack(kDrums), MidiTrack(kChords)}, 2},
        // Fifteen notes around c4 over four around g5: the low tune counts half, the high one whole.
        {{MidiTrack(Quarters(15, 96, {58, 60, 62})), MidiTrack(Quarters(4, 96, {77, 79, 81, 79}))}, 1},
        // Twenty notes at the edges of the singing range, g3 and c6, over four in it.
        {{MidiTrack(Quarters(20, 48, {55})), MidiTrack(Quarters(4, 48, {72}))}, 1},
        {{MidiTrack(Quarters(20, 48, {84})), MidiTrack(Quarters(4, 48, {72}))}, 1},
        {{MidiTrack(kDrums), title}, 0},
    };
    for (const auto& [tracks, pick] : table) {
        EXPECT_EQ(ListMidiTracks(MidiFile(1, 96, tracks))->defaultTrack, pick) << pick;
    }
    // The song as the import reads it by default: the tune under the song's title.
    const auto imported = ReadMidi(song);
    ASSERT_TRUE(imported.has_value());
    EXPECT_EQ(imported->fields.name + "|" + imported->fields.tempo + "|" + imported->fields.notes, "Song|100|c d e f");
    // A title track and one tune: nothing else had notes, so nothing was left out to be said.
    EXPECT_TRUE(ReadMidi(MidiFile(1, 96, {title, MidiTrack(kTune)}))->warnings.empty());
}

// The three ways overlapping notes become one line, on a track of a file of format 0.
TEST(MidiReader, MakesOneLineByTheVoiceRule) {
    const struct {
        std::vector<BuiltNote> notes;
        VoiceRule rule;
        const char* read;  // duration|notes
    } table[] = {
        // A whole c5 with an e5 over its second quarter.
        {{{0, 384, 72}, {96, 192, 76}}, VoiceRule::Highest, "4|c e 2c"},
        {{{0, 384, 72}, {96, 192, 76}}, VoiceRule::Lowest, "1|c"},
        {{{0, 384, 72}, {96, 192, 76}}, VoiceRule::First, "1|c"},
        // A half e5, and a c5 from its second quarter on to the third.
        {{{0, 192, 76}, {96, 288, 72}}, VoiceRule::Highest, "2|e 4c"},
        {{{0, 192, 76}, {96, 288, 72}}, VoiceRule::Lowest, "2|4e c"},
        {{{0, 192, 76}, {96, 288, 72}}, VoiceRule::First, "2|e 4p"},
        // A note starting where the last ends is no overlap; every plain and dotted length.
        {{{0, 96, 72}, {96, 192, 76}}, VoiceRule::First, "4|c e"},
        {{{0, 576, 72}, {576, 864, 74}, {864, 1008, 76}, {1008, 1080, 77}, {1080, 1116, 79}, {1116, 1134, 81}},
         VoiceRule::First,
         "1|c. 2d. 4e. 8f. 16g. 32a."},
        {{{0, 384, 72}, {384, 576, 74}, {576, 672, 76}, {672, 720, 77}, {720, 744, 79}, {744, 756, 81}, {756, 762, 83}},
         VoiceRule::First,
         "1|c 2d 4e 8f 16g 32a 64b"},
    };
    for (const auto& [notes, rule, read] : table) {
        const auto imported = ReadMidi(MidiFile(0, 96, {MidiTrack(notes)}), {.voice = rule});
        ASSERT_TRUE(imported.has_value());
        EXPECT_EQ(imported->fields.duration + "|" + imported->fields.notes, read) << static_cast<int>(rule);
    }
}

// Whole octaves into the hardware's range by default, and named; a shift asked for is kept.
TEST(MidiReader, TransposesIntoTheRange) {
    const Bytes low = MidiFile(0, 96, {MidiTrack({{0, 96, 48}, {96, 192, 50}, {192, 288, 52}})});      // c3 d3 e3
    const Bytes high = MidiFile(0, 96, {MidiTrack({{0, 96, 108}, {96, 192, 110}, {192, 288, 112}})});  // c8 d8 e8
    const Bytes drums = MidiFile(1, 96, {MidiTrack({{0, 96, 36, 10}})});
    const struct {
        Bytes file;
        MidiReadOptions options;
        const char* read;  // octave|notes
        const char* warning;
    } table[] = {
        {low, {}, "5|c d e", "moved up 2 octaves (transposed by 24 semitones) to lie in the phone's range"},
        {low, {.hardware = melody::Hardware::LogoManager}, "4|c d e", "up 1 octave (transposed by 12 semitones)"},
        {low, {.hardware = melody::Hardware::None}, "3|c d e", ""},
        {low, {.transpose = 0}, "3|c d e", ""},
        {low, {.transpose = 5}, "3|f g a", ""},
        {low, {.transpose = -12}, "2|c d e", ""},
        {low, {.maxNotes = 2}, "5|c d", "cut after its limit of 2 notes"},
        {low, {.maxSeconds = 0.75}, "5|c 8d", "cut at its limit of 0.75 seconds"},
        {high, {}, "7|c d e", "moved down 1 octave (transposed by -12 semitones)"},
        {high, {.transpose = 100}, "1|e15 f#15 g#15", "above the highest tone code are moved by octaves"},
        {drums, {.track = 1, .channel = 10, .transpose = 0}, "2|c", ""},
    };
    for (const auto& [file, options, read, warning] : table) {
        const auto imported = ReadMidi(file, options);
        ASSERT_TRUE(imported.has_value());
        EXPECT_EQ(imported->fields.octave + "|" + imported->fields.notes, read);
        ExpectWarning(imported->warnings, warning);
    }
    // A file without notes reads as an empty melody; a track or channel that is not there is refused.
    EXPECT_EQ(ReadMidi(MidiFile(1, 96, {MidiTrack({}, "Song")}))->fields.notes, "");
    EXPECT_EQ(ReadMidi(low, {.track = 2}).error().message, "The MIDI file has 1 track; there is no track 2.");
    EXPECT_EQ(ReadMidi(low, {.channel = 3}).error().message, "The MIDI file has no notes on channel 3.");
    EXPECT_EQ(
        ReadMidi(drums, {.track = 1}).error().message,
        "Track 1 of the MIDI file has only drum notes (channel 10), which are read only when channel 10 is chosen.");
}

// Numbers far beyond any melody (a gap of 2^28 ticks, a tempo of 1 microsecond, 2,000 tracks)
// give a melody of bounded size, and the cut is said.
TEST(MidiReader, CutsWhatNoRingtoneHoldsAndSaysWhere) {
    const struct {
        Bytes file;
        const char* warning;
    } table[] = {
        {testing::HugeGapMidi(), "longer than ten minutes; it is cut at 10:00, at tick 1200 of the file."},
        {testing::TinyTempoMidi(),
         "more notes and pauses than tone data of 65,535 bytes can hold; it is cut, at tick 95 of the file."},
        {testing::ManyTrackMidi(2000), "Only the first 1024 tracks are read"},
    };
    for (const auto& [file, warning] : table) {
        const auto imported = ReadMidi(file);
        ASSERT_TRUE(imported.has_value()) << warning;
        ExpectWarning(imported->warnings, warning);
        // A token is at most a few characters: "t1000 32c#7." is the longest there is.
        EXPECT_LE(imported->fields.notes.size(), melody::kMaxTimelineEvents * 12) << warning;
    }
}

}  // namespace
}  // namespace belltower::interchange
