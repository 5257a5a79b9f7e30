// SPDX-License-Identifier: GPL-3.0-or-later
#include "melody/rtx_text.h"

#include <gtest/gtest.h>

namespace belltower::melody {
namespace {

// What a read leaves in the edit fields; nullptr (nullopt) for a field it must leave alone.
struct Read {
    const char *name{}, *duration{}, *octave{}, *tempo{}, *notes{}, *id{}, *delay{}, *index{}, *staccato{};
    std::optional<bool> forceOnePlay;
};

TEST(RtxText, ReadsTheFirstLineIntoTheFields) {
    const struct {
        const char* text;
        Read read;
    } cases[] = {
        {"Beep:d=4,o=5,b=125:8c,8d,8e",
         {.name = "Beep", .duration = "4", .octave = "5", .tempo = "125", .notes = "8c,8d,8e"}},
        {"A:D=16,O=6:c", {.name = "A", .duration = "16", .octave = "6", .notes = "c"}},
        {"A:d=4, o=5:c", {.name = "A", .duration = "4", .notes = "c"}},  // a blank before the key makes it another key
        {"A:d=4,x,o=5:c", {.name = "A", .duration = "4", .octave = "5", .notes = "c"}},
        {"A:d=4,,o=5:c", {.name = "A", .duration = "4", .octave = "5", .notes = "c"}},
        {"A:f=AB=C:c", {.name = "A", .notes = "c", .id = "AB=C"}},
        // Force one play follows the sign of the value; a negative one leaves the box alone.
        {"A:c=1:c", {.name = "A", .notes = "c", .forceOnePlay = true}},
        {"A:C=0.5:c", {.name = "A", .notes = "c", .forceOnePlay = true}},
        {"A:c=0:c", {.name = "A", .notes = "c", .forceOnePlay = false}},
        {"A:c=abc:c", {.name = "A", .notes = "c", .forceOnePlay = false}},
        {"A:c=-2:c", {.name = "A", .notes = "c"}},
        {"A:d=8:c:d:e", {.name = "A", .duration = "8", .notes = "c:d:e"}},
        {"c d e", {.notes = "c d e"}},
        {"A:c d", {.name = "A", .notes = "A:c d"}},
        {"", {.notes = ""}},
        {"\r\nA:d=4:c", {.notes = ""}},
        {"A:i=7,s=6,@=15,b= 90 ,i=8::c",
         {.name = "A", .tempo = " 90 ", .notes = ":c", .delay = "15", .index = "8", .staccato = "6"}},
        // Lines end at CR, CR LF or LF.
        {"A:d=4:c\r\nB:d=2:e", {.name = "A", .duration = "4", .notes = "c"}},
        {"A:d=4:c\nB:d=2:e", {.name = "A", .duration = "4", .notes = "c"}},
        {"A:d=4:c\rB", {.name = "A", .duration = "4", .notes = "c"}},
        // Latin-1 bytes pass through untouched.
        {"Caf\xE9:d=4:\xFF", {.name = "Caf\xE9", .duration = "4", .notes = "\xFF"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        for (const bool checked : {false, true}) {
            // A marker in every field, so "left alone" is visible.
            MelodyFields actual{"N", "D", "O", "B", "X", "F", "@", "I", "S", checked, checked, checked};
            MelodyFields expected = actual;
            for (const auto& [field, value] : {std::pair{&expected.name, c.read.name},
                                               {&expected.duration, c.read.duration},
                                               {&expected.octave, c.read.octave},
                                               {&expected.tempo, c.read.tempo},
                                               {&expected.notes, c.read.notes},
                                               {&expected.id, c.read.id},
                                               {&expected.delay, c.read.delay},
                                               {&expected.index, c.read.index},
                                               {&expected.staccato, c.read.staccato}}) {
                if (value != nullptr) {
                    *field = value;
                }
            }
            expected.forceOnePlay = c.read.forceOnePlay.value_or(checked);
            ReadRtxText(c.text, actual);
            EXPECT_EQ(expected, actual);
        }
    }
}

TEST(RtxText, WritesEveryKeyInOrderAndReadsItBack) {
    EXPECT_EQ(":d=8,o=6,b=140,f=,i=1,c=0,s=0,@=1:\r\n", WriteRtxText(MelodyFields{}));
    const MelodyFields written{.name = "Caf\xE9 Tune",
                               .duration = "16",
                               .octave = "5",
                               .tempo = "137.5",
                               .notes = "c v0 d v1 e t200 8f#.",
                               .id = "AB",
                               .delay = "15",
                               .index = "42",
                               .staccato = "6",
                               .playTwice = true,
                               .forceOnePlay = true};
    EXPECT_EQ("Caf\xE9 Tune:d=16,o=5,b=137.5,f=AB,i=42,c=1,s=6,@=15:c v0 d v1 e t200 8f#.\r\n", WriteRtxText(written));
    MelodyFields read{.playTwice = true};  // the text does not carry "suggest playing twice"
    ReadRtxText(WriteRtxText(written), read);
    EXPECT_EQ(written, read);
    // Names that would end early or break the line are written with blanks and dashes.
    for (const auto& [name, line] :
         {std::pair{"a:b,c=d:e", "a-b,c=d-e:"}, {"ab\r\ncd\x7F", "ab  cd :"}, {"Tab\tOK", "Tab\tOK:"}}) {
        EXPECT_EQ(NameFitsRtxText(name), std::string(name) == "Tab\tOK") << name;
        EXPECT_TRUE(WriteRtxText(MelodyFields{.name = name}).starts_with(line)) << name;
    }
}

TEST(RtxText, RefusesBinaryFilesSayingWhatTheyLookLike) {
    using namespace std::string_literals;
    const std::pair<std::string, std::string> cases[] = {
        // text, what it looks like (empty: ringtone text)
        {"Tune:d=4:c", ""},
        {"c d e f", ""},                 // bare notes
        {"", ""},                        // empty: the encoder says "No data"
        {"\xE9t\xE9:b=90:c\n\x01", ""},  // Latin-1 name; only the first line must be text
        {"RIFF\x24\0\0\0WAVEfmt "s, "a WAV file"},
        {"\x89PNG\r\n\x1A\n\0\0\0\rIHDR"s, "a PNG image"},
        {"Tune:d=4:c\0"s, "binary data"},
        {"\x1B[0m:b=90:c", "binary data"},
        {"\xC3\xA9 12 34", "no melody (no name, settings or notes)"},
    };
    for (const auto& [text, looksLike] : cases) {
        const auto checked = CheckRingtoneText(text);
        ASSERT_EQ(looksLike.empty(), checked.has_value()) << text;
        if (!checked) {
            EXPECT_EQ("This is not ringtone text: it looks like " + looksLike + ".", checked.error().message);
        }
    }
}

}  // namespace
}  // namespace belltower::melody
