// MIDI files out and in: byte for byte where Belltower writes them, one voice from anything a
// sequencer writes, and damaged files refused.
#include <gtest/gtest.h>

#include "interchange/midi.h"
#include "melody/tone_decoder.h"
#include "melody/tone_encoder.h"
#include "support/hex.h"

namespace belltower::interchange {
namespace {

using formats::Bytes;
using formats::ErrorCode;
using testing::Hex;

Bytes Record(const std::string& notes, const std::string& tempo = "125", const std::string& name = "Hi") {
    melody::MelodyFields fields;
    fields.name = name;
    fields.notes = notes;
    fields.tempo = tempo;
    fields.duration = "4";
    fields.delay = "0";
    auto encoded = melody::EncodeMelody(fields, formats::TextFormat::Ascii, std::nullopt);
    return encoded.record ? *encoded.record : Bytes{};
}

// A file of the given format and division holding the given track events.
Bytes File(int format, int division, const std::vector<std::string>& tracks) {
    Bytes file = Hex("4D546864 00000006");
    for (const int value : {format, static_cast<int>(tracks.size()), division}) {
        file.push_back(static_cast<std::uint8_t>(value >> 8));
        file.push_back(static_cast<std::uint8_t>(value));
    }
    for (const auto& events : tracks) {
        const Bytes body = Hex(events);
        formats::Append(file, Hex("4D54726B"));
        for (int shift = 24; shift >= 0; shift -= 8) {
            file.push_back(static_cast<std::uint8_t>(body.size() >> shift));
        }
        formats::Append(file, body);
    }
    return file;
}

TEST(MidiWriter, WritesOneTrackByteForByte) {
    const Bytes expected = Hex("4D546864 00000006 0000 0001 01E0"  // format 0, one track, 480 ticks a quarter
                               "4D54726B 00000024"                 // the track, 36 bytes
                               "00 FF03 02 4869"                   // name "Hi"
                               "00 FF51 03 075300"                 // 480000 us a quarter: 125 beats per minute
                               "00 90 54 64   8360 80 54 00"       // c6 (code 0x8B) for a quarter
                               "8360 90 58 64 8170 80 58 00"       // a quarter rest, then e6 for an eighth
                               "00 FF2F00");                       // end of track
    const auto written = WriteMidiMelody(Record("c p 8e6"));
    ASSERT_TRUE(written.has_value());
    EXPECT_BYTES_EQ(expected, *written);
}

TEST(MidiReader, ReadsBackWhatTheWriterWrote) {
    const struct {
        const char* notes;
        const char* tempo;
    } table[] = {
        {"c p 8e6 2g#5 16a.", "125"},
        {"8c 8d 4e t250 8f 8g", "100"},  // a tempo change
        {"1c 1c 2.d", "63"},             // long notes cut into pieces, repeated notes
    };
    for (const auto& row : table) {
        const Bytes record = Record(row.notes, row.tempo);
        const auto midi = WriteMidiMelody(record);
        ASSERT_TRUE(midi.has_value()) << row.notes;
        const auto imported = ReadMidi(*midi);
        ASSERT_TRUE(imported.has_value()) << row.notes << ": " << imported.error().message;
        EXPECT_TRUE(imported->warnings.empty()) << row.notes << ": " << imported->warnings.front();
        // The melody comes back playing the same: the same tone data once encoded.
        melody::MelodyFields fields = imported->fields;
        fields.name = "Hi";
        const auto again = melody::EncodeMelody(fields, formats::TextFormat::Ascii, std::nullopt);
        ASSERT_TRUE(again.record.has_value()) << imported->fields.notes;
        EXPECT_BYTES_EQ(record, *again.record) << row.notes << " came back as " << imported->fields.notes;
    }
}

TEST(MidiReader, KeepsTheHighestOfOverlappingNotesAndSaysSo) {
    // Middle c for a half note; e sounds above it for the second eighth of it.
    const auto imported = ReadMidi(File(0, 480,
                                        {"00 90 3C 40  83 60 90 40 40  81 70 80 40 00  81 70 80 3C 00"
                                         "00 FF 2F 00"}));
    ASSERT_TRUE(imported.has_value()) << imported.error().message;
    EXPECT_EQ(imported->fields.notes, "4c e c");
    EXPECT_EQ(imported->fields.octave, "4");
    EXPECT_EQ(imported->fields.tempo, "120");
    ASSERT_EQ(imported->warnings.size(), 1u);
    EXPECT_NE(imported->warnings.front().find("highest"), std::string::npos);
}

TEST(MidiReader, ReadsSeveralTracksWithRunningStatus) {
    const auto imported =
        ReadMidi(File(1, 96,
                      {"00 FF 51 03 0F 42 40  00 FF 2F 00",                       // 60 beats per minute
                       "00 FF 03 03 416263  00 90 45 50  60 45 00  00 FF 2F 00",  // a4, running status
                       "81 40 91 47 50  30 81 47 00  00 FF 2F 00"}));             // b4 on channel 2
    ASSERT_TRUE(imported.has_value()) << imported.error().message;
    EXPECT_EQ(imported->fields.name, "Abc");
    EXPECT_EQ(imported->fields.tempo, "60");
    EXPECT_EQ(imported->fields.notes, "a p 8b");
}

TEST(MidiReader, RefusesDamagedFiles) {
    const struct {
        const char* what;
        Bytes file;
        ErrorCode code;
        const char* message;
    } table[] = {
        {"not MIDI", Hex("52494646"), ErrorCode::BadInput, "not a MIDI file"},
        {"header cut short", Hex("4D546864 00000006 0000"), ErrorCode::DamagedData, "header chunk is cut short"},
        {"zero division", File(0, 0, {"00 FF 2F 00"}), ErrorCode::BadInput, "division of 0"},
        {"chunk longer than the file", Hex("4D546864 00000006 0000 0001 0060 4D54726B 00000020 00 90 3C 40"),
         ErrorCode::DamagedData, "past the end of the file"},
        {"running status first", File(0, 96, {"00 3C 40 00 FF 2F 00"}), ErrorCode::DamagedData, "running status"},
        {"event cut short", File(0, 96, {"00 90 3C"}), ErrorCode::DamagedData, "ends inside an event"},
        {"meta event past its track", File(0, 96, {"00 FF 03 10 41"}), ErrorCode::DamagedData, "runs past the end"},
        {"no track", File(0, 96, {}), ErrorCode::DamagedData, "no track"},
    };
    for (const auto& row : table) {
        const auto imported = ReadMidi(row.file);
        ASSERT_FALSE(imported.has_value()) << row.what;
        EXPECT_EQ(imported.error().code, row.code) << row.what;
        EXPECT_NE(imported.error().message.find(row.message), std::string::npos)
            << row.what << ": " << imported.error().message;
    }
}

}  // namespace
}  // namespace belltower::interchange
