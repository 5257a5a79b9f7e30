// MIDI files out and in: byte for byte where Belltower writes them, one voice from anything a
// sequencer writes, and damaged files refused.
#include <gtest/gtest.h>

#include <cstdio>

#include "interchange/midi.h"
#include "melody/tone_decoder.h"
#include "melody/tone_encoder.h"
#include "support/hex.h"

namespace belltower::interchange {
namespace {

using formats::Bytes;
using formats::ErrorCode;
using testing::Hex;

Bytes Record(const char* notes, const char* tempo = "125") {
    const melody::MelodyFields fields{.name = "Hi", .duration = "4", .tempo = tempo, .notes = notes, .delay = "0"};
    return *melody::EncodeMelody(fields, formats::TextFormat::Ascii, std::nullopt).record;
}

// A file of the given format and division holding the given track events.
Bytes File(int format, int division, const std::vector<std::string>& tracks) {
    char chunk[64];
    std::snprintf(chunk, sizeof chunk, "4D546864 00000006 %04X %04zX %04X", format, tracks.size(), division);
    Bytes file = Hex(chunk);
    for (const auto& events : tracks) {
        const Bytes body = Hex(events);
        std::snprintf(chunk, sizeof chunk, "4D54726B %08zX", body.size());
        formats::Append(file, Hex(chunk));
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

// The melody comes back playing the same: the same tone data once encoded.
TEST(MidiReader, ReadsBackWhatTheWriterWrote) {
    // Plain notes; a tempo change; long notes cut into pieces, repeated notes.
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

// One voice from what a sequencer writes: the highest of overlapping notes, several tracks.
TEST(MidiReader, KeepsOneVoiceOfAnyFile) {
    const struct {
        Bytes file;
        const char* read;     // name, octave, tempo and notes
        const char* warning;  // a part of the one warning, "" for none
    } table[] = {
        // Middle c for a half note; e sounds above it for the second eighth of it.
        {File(0, 480, {"00 90 3C 40  83 60 90 40 40  81 70 80 40 00  81 70 80 3C 00  00 FF 2F 00"}), "|4|120|4c e c",
         "highest"},
        {File(1, 96,
              {"00 FF 51 03 0F 42 40  00 FF 2F 00",                       // 60 beats per minute
               "00 FF 03 03 416263  00 90 45 50  60 45 00  00 FF 2F 00",  // a4, running status
               "81 40 91 47 50  30 81 47 00  00 FF 2F 00"}),              // b4 on channel 2
         "Abc|4|60|a p 8b", ""},
    };
    for (const auto& row : table) {
        const auto imported = ReadMidi(row.file);
        ASSERT_TRUE(imported.has_value()) << imported.error().message;
        const auto& f = imported->fields;
        EXPECT_EQ(f.name + "|" + f.octave + "|" + f.tempo + "|" + f.notes, row.read);
        ASSERT_EQ(imported->warnings.size(), *row.warning == '\0' ? 0U : 1U) << row.read;
        if (*row.warning != '\0') {
            EXPECT_NE(imported->warnings.front().find(row.warning), std::string::npos);
        }
    }
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
