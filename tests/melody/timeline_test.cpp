// SPDX-License-Identifier: GPL-3.0-or-later
// Tone data as timed events, as the synthesiser plays it.
#include "melody/timeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "melody/tone_encoder.h"
#include "support/hex.h"
#include "support/hostile_inputs.h"

namespace belltower::melody {
namespace {

// The events in one line: "8B 0+52 @6 v" is code 8B from unit 0 for 52 units, its first command at byte 6, vibration
// on; with tokens, "7F 0+58 [0,3] rest" is written by the 3-character token at 0, the silent rest of a staccato note.
std::string Shown(const Timeline& timeline, bool tokens) {
    std::ostringstream shown;
    for (const TimedEvent& e : timeline.events) {
        shown << (&e == timeline.events.data() ? "" : ", ") << std::hex << std::uppercase << int{e.code} << std::dec
              << ' ' << e.start << '+' << e.units;
        if (!tokens) {
            shown << " @" << e.offset << (e.vibration ? " v" : "");
        } else {
            shown << (e.token ? " [" + std::to_string(e.token->start) + "," + std::to_string(e.token->length) + "]"
                              : "")
                  << (e.staccatoRest ? " rest" : "");
        }
    }
    return shown.str();
}

TEST(Timeline, PlaysToneDataAsTheSynthesiserDoes) {
    const struct {
        const char* toneData;
        const char* events;
        std::size_t notices;
    } table[] = {
        {"00 02 FC 09 0A 01 8B 34 0A FE 40 01 07 0B", "8B 0+52 @6 v, 40 52+1 @10", 0},
        {"8B 7D 8B 7D 8B 50 40 02 8B 10", "8B 0+330 @0, 40 330+2 @6, 8B 332+16 @8", 0},  // pieces tied
        {"05 03 8B 10 8D 10 06 8F 01",
         "8B 0+16 @2, 8D 16+16 @4, 8B 32+16 @2, 8D 48+16 @4, 8B 64+16 @2, 8D 80+16 @4, 8F 96+1 @7", 1},
        {"8B 10 12 34 8B 10", "8B 0+16 @0, 8B 16+16 @4", 1},  // an unknown command skipped
        {"05 FF 7C 00 06 06 06", "7C 0+0 @2", 0},             // nothing to repeat, however often
        {"05 02 8B 10 06 06", "8B 0+16 @2, 8B 16+16 @2, 8B 32+16 @2, 8B 48+16 @2", 2},  // copies repeated too
    };
    for (const auto& row : table) {
        const Timeline timeline = BuildTimeline(testing::Hex(row.toneData));
        EXPECT_EQ(Shown(timeline, false), row.events);
        EXPECT_EQ(timeline.notices.size(), row.notices) << row.events;
    }
}

// Whatever the numbers in the tone data, the events stop at ten minutes (the note that crosses
// them sounds up to the cap) or at kMaxTimelineEvents, and the cut says where.
TEST(Timeline, StopsAtItsCapsAndSaysWhere) {
    const auto repeated = [](std::string hex, const char* unit, int times, const char* end) {
        for (int i = 0; i < times; ++i) {
            hex += unit;
        }
        return testing::Hex(hex + end);
    };
    const char* const tenMinutes = "The melody plays longer than ten minutes; it is cut at 10:00.";
    const char* const manyEvents =
        "The melody has more than 32768 notes and pauses once its repeats are played; it is cut after 4:33.";
    const struct {
        formats::Bytes toneData;
        std::uint64_t units;
        std::size_t events;
        const char* cut;
    } table[] = {
        {testing::Hex("05 FF 8B FF 06 06 06"), kMaxTimelineUnits, 283, tenMinutes},
        {testing::TiedNote(28800), kMaxTimelineUnits, 1, tenMinutes},
        // 300 notes of 2 seconds: ten minutes exactly, then a unit under and a unit over.
        {repeated("", "8B F0 8D F0", 150, ""), kMaxTimelineUnits, 300, ""},
        {repeated("8D EF", "8B F0 8D F0", 149, "8B F0"), kMaxTimelineUnits - 1, 300, ""},
        {repeated("", "8B F0 8D F0", 150, "8B 01"), kMaxTimelineUnits, 300, tenMinutes},
        {repeated("05 FF", "8B 01 8D 01", 100, "06"), kMaxTimelineEvents, kMaxTimelineEvents, manyEvents},
        // As many events as are kept, and one more.
        {repeated("05 80", "8B 01 8D 01", 128, "06"), kMaxTimelineEvents, kMaxTimelineEvents, ""},
        {repeated("05 80", "8B 01 8D 01", 128, "06 8B 01"), kMaxTimelineEvents, kMaxTimelineEvents, manyEvents},
    };
    for (const auto& row : table) {
        const Timeline timeline = BuildTimeline(row.toneData);
        EXPECT_EQ(timeline.units, row.units) << row.cut;
        EXPECT_EQ(timeline.events.size(), row.events) << row.cut;
        EXPECT_EQ(CutWarning(timeline).value_or(""), row.cut);
        const auto cuts = std::count_if(timeline.notices.begin(), timeline.notices.end(),
                                        [&](const ToneNotice& notice) { return notice.what == row.cut; });
        EXPECT_EQ(cuts, *row.cut == '\0' ? 0 : 1) << row.cut;  // said once: nothing after it is read
    }
    EXPECT_EQ(CutWarning(BuildTimeline(testing::ZeroLengthRepeats(2000))), std::nullopt);
}

TEST(Timeline, NamesAndLabelsNoteCodes) {
    const struct {
        std::uint8_t code;
        char letter;
        bool sharp;
        int octave;
        const char* label;
    } table[] = {{0x43, 'c', false, 0, "c0"}, {0x7C, 'a', false, 4, "a4"},   {0x8C, 'c', true, 6, "c#6"},
                 {0x4E, 'b', false, 0, "b0"}, {0x41, 'a', true, -1, "a#-1"}, {0xFF, 'g', true, 15, "g#15"}};
    for (const auto& row : table) {
        const NoteName name = NameOfCode(row.code);
        EXPECT_EQ(std::tuple(name.letter, name.sharp, name.octave), std::tuple(row.letter, row.sharp, row.octave));
        EXPECT_EQ(NoteLabel(row.code), row.label);
    }
    EXPECT_EQ(NoteLabel(0x40), "pause");
}

TEST(Timeline, KnowsTheRangeOfEachHardware) {
    const struct {
        const char* words;  // out of range under
        const char* codes;
    } table[] = {{"phone logomanager", "41 72 A3 FA"}, {"phone", "73 7B"}, {"", "7C A2 40"}};
    for (const auto& row : table) {
        const std::string words = row.words;
        for (const std::uint8_t code : testing::Hex(row.codes)) {
            EXPECT_EQ(OutOfRangeWords(code), words) << int{code};
            EXPECT_FALSE(OutOfRange(code, Hardware::None)) << int{code};
            for (const Hardware hardware : {Hardware::Phone, Hardware::LogoManager}) {
                const bool out = words.find(hardware == Hardware::Phone ? "phone" : "logomanager") != std::string::npos;
                EXPECT_EQ(OutOfRange(code, hardware), out) << int{code};
                const Sounded sounded = SoundedAs(code, hardware);
                EXPECT_EQ(sounded.code, out ? 0x94 : code) << int{code};
                EXPECT_EQ(sounded.level, out ? 0.1 : 1.0) << int{code};
            }
        }
    }
}

// Encoded melodies (tempo 125: a quarter is 58 units): each event knows the token that wrote it.
TEST(Timeline, TiesEncodedEventsToTheirTokens) {
    const struct {
        const char* notes;
        const char* staccato;
        std::optional<NotesSelection> selection;
        const char* events;  // the last is the delay after the closing marker
    } table[] = {
        // A repeated note gets its separating pause; a long note in pieces is one event.
        {"4c5  4c5,1d5", "0", std::nullopt, "7F 0+58 [0,3], 40 58+2 [5,3], 7F 60+58 [5,3], 81 118+232 [9,3], 40 350+1"},
        // Staccato cuts the note; the rest is its own token's pause.
        {"4c5 4d5", "10", std::nullopt,
         "7F 0+10 [0,3], 40 10+48 [0,3] rest, 81 58+10 [4,3], 40 68+48 [4,3] rest, 40 116+1"},
        // A selection keeps the places in the whole text.
        {"4c5 4p 4d5", "0", NotesSelection{4, 6}, "40 0+58 [4,2], 81 58+58 [7,3], 40 116+1"},
    };
    for (const auto& row : table) {
        const MelodyFields fields{.tempo = "125", .notes = row.notes, .staccato = row.staccato};
        const EncodeResult encoded = EncodeMelody(fields, formats::TextFormat::Ascii, row.selection);
        ASSERT_TRUE(encoded.record) << row.notes;
        EXPECT_EQ(Shown(EncodedTimeline(encoded), true), row.events);
    }
}

TEST(Timeline, MarksVibrationSpansAndTempoChanges) {
    const MelodyFields fields{.tempo = "125", .notes = "4c5 v0 t250 4d5 v1 t125 4e5"};
    const Timeline timeline = EncodedTimeline(EncodeMelody(fields, formats::TextFormat::Ascii, std::nullopt));
    // The opening switches the motor on; d5 lasts 29 units at 250 beats per minute.
    EXPECT_EQ(VibrationSpans(timeline), (std::vector<UnitSpan>{{0, 58}, {87, 145}}));
    const std::vector<TempoChange> changes = TempoChanges(timeline);
    ASSERT_EQ(changes.size(), 3U);
    EXPECT_EQ(std::tuple(changes[1].start, changes[1].tempo, changes[2].start), std::tuple(58U, 250.0, 87U));
    EXPECT_DOUBLE_EQ(timeline.events[2].StartSeconds(), 87.0 / 120);
}

}  // namespace
}  // namespace belltower::melody
