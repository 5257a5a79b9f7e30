// Tone data as timed events, as the synthesiser plays it.
#include <gtest/gtest.h>

#include "melody/timeline.h"
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

}  // namespace
}  // namespace belltower::melody
