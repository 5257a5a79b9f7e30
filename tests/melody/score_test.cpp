// SPDX-License-Identifier: GPL-3.0-or-later
// The typed melody: what each token of the notes text reads as, and how it is written back.
#include "melody/score.h"

#include <gtest/gtest.h>

namespace belltower::melody {
namespace {

TEST(Score, ReadsEachTokenAsAnItemAndWritesItBack) {
    const struct {
        const char* token;
        ScoreItem item;       // as read, its text and range aside
        const char* written;  // by WriteToken from the values alone
    } cases[] = {
        {"8C#6.", ScoreItem::Note('c', true, 8, true, 6), "8c#6."},
        {"c6.#", ScoreItem::Note('c', true, std::nullopt, true, 6), "c#6."},  // marks after the octave
        {"c6#.", ScoreItem::Note('c', false, std::nullopt, true, 6), "c6."},  // "6#" reads as octave 6, no sharp
        {"32h", ScoreItem::Note('h', false, 32, false, std::nullopt), "32h"},
        {"c0", ScoreItem::Note('c', false, std::nullopt, false, std::nullopt), "c"},  // octave 0 is none
        {"c0.01", ScoreItem::Note('c', false, std::nullopt, false, 0.01), "c0.01"},
        {"4-.", ScoreItem::Pause(4, true), "4-."},
        {"t90.5", ScoreItem::TempoChange(90.5), "t90.5"},
        {"v", ScoreItem::VibrationSwitch(false), "v0"},
        {"V1", ScoreItem::VibrationSwitch(true), "v1"},
        // What the encoder ignores stays as it was read.
        {"t0", ScoreItem::Unread("t0"), "t0"},
        {"v2", ScoreItem::Unread("v2"), "v2"},
        {"10c", ScoreItem::Unread("10c"), "10c"},  // the prefix 1 and the letter 0
        {"x", ScoreItem::Unread("x"), "x"},
        {"44", ScoreItem::Unread("44"), "44"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.token);
        const Score score = ReadScore({.notes = std::string(" ") + c.token});
        ASSERT_EQ(score.items.size(), 1u);
        ScoreItem expected = c.item;
        if (expected.kind == ItemKind::Pause) {
            expected.letter = c.written[std::string_view(c.written).find_first_of("p-")];
        }
        ScoreItem actual = score.items.front();
        EXPECT_EQ(actual.range, (TextRange{1, std::string_view(c.token).size()}));
        actual.range = {};
        actual.text = expected.kind == ItemKind::Other ? actual.text : "";
        expected.text = expected.kind == ItemKind::Other ? expected.text : "";
        EXPECT_EQ(actual, expected);
        EXPECT_EQ(WriteToken(actual), c.written);
    }
}

TEST(Score, SettingsAndASelectionComeFromTheFields) {
    const MelodyFields fields{.name = "N",
                              .duration = "16",
                              .octave = "5x",
                              .tempo = "90.5",
                              .notes = "4c 8d 8e",
                              .id = "AB",
                              .delay = "",
                              .index = "&H10",
                              .staccato = "3",
                              .playTwice = true};
    const Score score = ReadScore(fields, NotesSelection{1, 6});  // "c 8d 8": the cut token reads as "8"
    EXPECT_EQ(score.settings, (ScoreSettings{.name = "N",
                                             .duration = 16,
                                             .octave = 5,
                                             .tempo = 90.5,
                                             .staccato = 3,
                                             .delay = 0,
                                             .id = "AB",
                                             .index = 16,
                                             .playTwice = true}));
    ASSERT_EQ(score.items.size(), 3u);
    EXPECT_EQ(score.items[1].range, (TextRange{3, 2}));
    const MelodyFields written = WriteFields(score);
    EXPECT_EQ(std::tuple(written.notes, written.octave, written.tempo, written.index),
              std::tuple("c 8d 8", "5", "90.5", "16"));
}

TEST(Score, NumbersAreWrittenInTheirShortestExactText) {
    for (const double value : {0.0, 140.0, -3.0, 0.01, 241.66666666666666, 1e300, 2147483647.0}) {
        const std::string text = ExactNumberText(value);
        EXPECT_EQ(ReadSettings({.tempo = text}).tempo, value) << text;
    }
    EXPECT_EQ(ExactNumberText(140), "140");
    EXPECT_EQ(ExactNumberText(0.01), "0.01");
}

}  // namespace
}  // namespace belltower::melody
