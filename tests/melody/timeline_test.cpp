// Tone data as timed events, as the synthesiser plays it.
#include <gtest/gtest.h>

#include "melody/timeline.h"
#include "melody/tone_encoder.h"
#include "support/hex.h"

namespace belltower::melody {
namespace {

struct Event {
    int code;
    std::uint64_t start;
    std::uint64_t units;
    std::size_t offset;
    bool vibration;
};

TEST(Timeline, PlaysToneDataAsTheSynthesiserDoes) {
    const struct {
        const char* what;
        const char* toneData;
        std::vector<Event> events;
        std::size_t notices;
    } table[] = {
        {"opening, note, closing",
         "00 02 FC 09 0A 01 8B 34 0A FE 40 01 07 0B",
         {{0x8B, 0, 52, 6, true}, {0x40, 52, 1, 10, false}},
         0},
        {"pieces tied into one note",
         "8B 7D 8B 7D 8B 50 40 02 8B 10",
         {{0x8B, 0, 330, 0, false}, {0x40, 330, 2, 6, false}, {0x8B, 332, 16, 8, false}},
         0},
        {"a repeat of three plays",
         "05 03 8B 10 8D 10 06 8F 01",
         {{0x8B, 0, 16, 2, false},
          {0x8D, 16, 16, 4, false},
          {0x8B, 32, 16, 2, false},
          {0x8D, 48, 16, 4, false},
          {0x8B, 64, 16, 2, false},
          {0x8D, 80, 16, 4, false},
          {0x8F, 96, 1, 7, false}},
         1},
        {"an unknown command skipped", "8B 10 12 34 8B 10", {{0x8B, 0, 16, 0, false}, {0x8B, 16, 16, 4, false}}, 1},
        // Two repeats written out, the second cut at the cap: no events checked, only the length.
        {"a repeat past ten minutes cut there", "05 FF 8B FF 06 06 06", {}, 3},
    };
    for (const auto& row : table) {
        const Timeline timeline = BuildTimeline(belltower::testing::Hex(row.toneData));
        EXPECT_EQ(timeline.notices.size(), row.notices) << row.what;
        if (row.events.empty()) {
            EXPECT_LE(timeline.units, kMaxTimelineUnits) << row.what;
            EXPECT_GT(timeline.units, kMaxTimelineUnits - 255) << row.what;
            continue;
        }
        ASSERT_EQ(timeline.events.size(), row.events.size()) << row.what;
        for (std::size_t i = 0; i < row.events.size(); ++i) {
            const TimedEvent& got = timeline.events[i];
            const Event& want = row.events[i];
            EXPECT_EQ(got.code, want.code) << row.what << " event " << i;
            EXPECT_EQ(got.start, want.start) << row.what << " event " << i;
            EXPECT_EQ(got.units, want.units) << row.what << " event " << i;
            EXPECT_EQ(got.offset, want.offset) << row.what << " event " << i;
            EXPECT_EQ(got.vibration, want.vibration) << row.what << " event " << i;
        }
    }
}

TEST(Timeline, NamesNoteCodes) {
    const struct {
        std::uint8_t code;
        char letter;
        bool sharp;
        int octave;
    } table[] = {{0x43, 'c', false, 0}, {0x7C, 'a', false, 4}, {0x8C, 'c', true, 6},
                 {0x4E, 'b', false, 0}, {0x41, 'a', true, -1}, {0xFF, 'g', true, 15}};
    for (const auto& row : table) {
        const NoteName name = NameOfCode(row.code);
        EXPECT_EQ(name.letter, row.letter) << int{row.code};
        EXPECT_EQ(name.sharp, row.sharp) << int{row.code};
        EXPECT_EQ(name.octave, row.octave) << int{row.code};
    }
}

TEST(Timeline, LabelsNotesAsRingtoneTextNamesThem) {
    const struct {
        std::uint8_t code;
        const char* label;
    } table[] = {{0x7C, "a4"}, {0x8C, "c#6"}, {0x41, "a#-1"}, {0x40, "pause"}};
    for (const auto& row : table) {
        EXPECT_EQ(NoteLabel(row.code), row.label);
    }
}

TEST(Timeline, KnowsTheRangeOfEachHardware) {
    const struct {
        std::uint8_t code;
        const char* words;  // out of range under
    } table[] = {{0x41, "phone logomanager"},
                 {0x72, "phone logomanager"},
                 {0x73, "phone"},
                 {0x7B, "phone"},
                 {0x7C, ""},
                 {0xA2, ""},
                 {0xA3, "phone logomanager"},
                 {0xFA, "phone logomanager"},
                 {0x40, ""}};
    for (const auto& row : table) {
        const std::string words = row.words;
        EXPECT_EQ(OutOfRangeWords(row.code), words) << int{row.code};
        EXPECT_FALSE(OutOfRange(row.code, Hardware::None)) << int{row.code};
        for (const Hardware hardware : {Hardware::Phone, Hardware::LogoManager}) {
            const bool out = words.find(hardware == Hardware::Phone ? "phone" : "logomanager") != std::string::npos;
            EXPECT_EQ(OutOfRange(row.code, hardware), out) << int{row.code};
            const Sounded sounded = SoundedAs(row.code, hardware);
            EXPECT_EQ(sounded.code, out ? 0x94 : row.code) << int{row.code};
            EXPECT_EQ(sounded.level, out ? 0.1 : 1.0) << int{row.code};
        }
    }
}

// Encoded melodies (tempo 125: a quarter is 58 units): each event knows the token that wrote it.
TEST(Timeline, TiesEncodedEventsToTheirTokens) {
    struct Want {
        int code;
        std::uint64_t start;
        std::uint64_t units;
        std::optional<TextRange> token;
        bool staccatoRest = false;
    };
    const struct {
        const char* what;
        const char* notes;
        const char* staccato;
        std::optional<NotesSelection> selection;
        std::vector<Want> events;
    } table[] = {
        {"a repeated note gets its separating pause, a long note in pieces is one event",
         "4c5  4c5,1d5",
         "0",
         std::nullopt,
         {{0x7F, 0, 58, TextRange{0, 3}},
          {0x40, 58, 2, TextRange{5, 3}},
          {0x7F, 60, 58, TextRange{5, 3}},
          {0x81, 118, 232, TextRange{9, 3}},
          {0x40, 350, 1, std::nullopt}}},  // the delay after the closing marker
        {"staccato cuts the note; the rest is its own token's pause",
         "4c5 4d5",
         "10",
         std::nullopt,
         {{0x7F, 0, 10, TextRange{0, 3}},
          {0x40, 10, 48, TextRange{0, 3}, true},
          {0x81, 58, 10, TextRange{4, 3}},
          {0x40, 68, 48, TextRange{4, 3}, true},
          {0x40, 116, 1, std::nullopt}}},
        {"a selection keeps the places in the whole text",
         "4c5 4p 4d5",
         "0",
         NotesSelection{4, 6},
         {{0x40, 0, 58, TextRange{4, 2}}, {0x81, 58, 58, TextRange{7, 3}}, {0x40, 116, 1, std::nullopt}}},
    };
    for (const auto& row : table) {
        MelodyFields fields;
        fields.notes = row.notes;
        fields.tempo = "125";
        fields.staccato = row.staccato;
        const EncodeResult encoded = EncodeMelody(fields, formats::TextFormat::Ascii, row.selection);
        ASSERT_TRUE(encoded.record) << row.what;
        const Timeline timeline = EncodedTimeline(encoded);
        ASSERT_EQ(timeline.events.size(), row.events.size()) << row.what;
        for (std::size_t i = 0; i < row.events.size(); ++i) {
            const TimedEvent& got = timeline.events[i];
            const Want& want = row.events[i];
            EXPECT_EQ(got.code, want.code) << row.what << " event " << i;
            EXPECT_EQ(got.start, want.start) << row.what << " event " << i;
            EXPECT_EQ(got.units, want.units) << row.what << " event " << i;
            EXPECT_EQ(got.token, want.token) << row.what << " event " << i;
            EXPECT_EQ(got.staccatoRest, want.staccatoRest) << row.what << " event " << i;
        }
    }
}

TEST(Timeline, MarksVibrationSpansAndTempoChanges) {
    MelodyFields fields;
    fields.notes = "4c5 v0 t250 4d5 v1 t125 4e5";
    fields.tempo = "125";
    const Timeline timeline = EncodedTimeline(EncodeMelody(fields, formats::TextFormat::Ascii, std::nullopt));
    // The opening switches the motor on; d5 lasts 29 units at 250 beats per minute.
    EXPECT_EQ(VibrationSpans(timeline), (std::vector<UnitSpan>{{0, 58}, {87, 145}}));
    const std::vector<TempoChange> changes = TempoChanges(timeline);
    ASSERT_EQ(changes.size(), 3U);
    EXPECT_EQ(changes[1].start, 58U);
    EXPECT_EQ(changes[1].tempo, 250);
    EXPECT_EQ(changes[2].start, 87U);
    EXPECT_DOUBLE_EQ(timeline.events[2].StartSeconds(), 87.0 / 120);
}

}  // namespace
}  // namespace belltower::melody
