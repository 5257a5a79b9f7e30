// SPDX-License-Identifier: GPL-3.0-or-later
// iMelody and the phone's Composer codes: what each reader makes of real-world shapes and what
// each writer lays out (that what Belltower writes reads back: see codec_test.cpp).
#include <gtest/gtest.h>

#include <numeric>
#include <span>

#include "interchange/composer.h"
#include "interchange/imelody.h"
#include "melody/score.h"
#include "support/hex.h"
#include "support/hostile_inputs.h"

namespace belltower::interchange {
namespace {

using formats::ToBytes;
using formats::ToText;
using testing::ExpectWarning;
using testing::Repeated;

std::string Joined(const std::vector<std::string>& warnings) {
    return std::accumulate(warnings.begin(), warnings.end(), std::string(),
                           [](const std::string& all, const std::string& warning) { return all + warning + "\n"; });
}

// The settings the readers choose and the notes text: "d=4 o=5 b=125 s=0: c d e".
std::string Summary(const melody::Score& score) {
    const melody::MelodyFields fields = melody::WriteFields(score);
    return "d=" + fields.duration + " o=" + fields.octave + " b=" + fields.tempo + " s=" + fields.staccato + ": " +
           fields.notes;
}

std::string Imy(std::string_view head, std::string_view melody) {
    return "BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\n" + std::string(head) + "MELODY:" + std::string(melody) +
           "\r\nEND:IMELODY\r\n";
}

struct ReadCase {
    const char* what;
    std::string file;
    const char* summary;  // nullptr when not compared
    const char* warning;  // a part of the warnings, "" for none at all
};

void ExpectReads(std::span<const ReadCase> cases, bool (*looks)(formats::ByteView),
                 formats::Result<MelodyImport> (*read)(formats::ByteView)) {
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(looks(ToBytes(c.file)));
        const auto imported = read(ToBytes(c.file));
        ASSERT_TRUE(imported.has_value()) << imported.error().message;
        if (c.summary != nullptr) {
            EXPECT_EQ(Summary(imported->score), c.summary);
        }
        ExpectWarning(imported->warnings, c.warning);
    }
}

TEST(ImelodyReader, ReadsWhatWritersProduce) {
    const ReadCase cases[] = {
        {"folded lines, LF ends", "begin:imelody\nbeat:125\nmelody:c2d2\n e2\n\tf2\nend:imelody\n",
         "d=4 o=5 b=125 s=0: c d e f", ""},
        {"octave mark on its own note only", Imy("", "*5c2d2*3e2f2"), "d=4 o=5 b=120 s=0: c6 d e4 f", ""},
        {"octave marks a writer meant to carry", Imy("", "*3b2*4c2d2r2vibeonc2*3b2a2g2a2*4c1"),
         "d=4 o=4 b=120 s=0: b c5 d5 p v1 c5 b a g a 2c5", "carry on"},
        {"flats", Imy("", "&b2&c2*5&d3&f2"), "d=4 o=5 b=120 s=0: a# b4 8c#6 e", ""},
        {"the lowest and highest octave marks", Imy("", "*0c2*8c2"), "d=4 o=1 b=120 s=0: c c9", ""},
        {"two-thirds lengths", Imy("", "c2;d3;e5;"), "d=6 o=5 b=120 s=0: c 12d 48e", ""},
        {"a whole two-thirds note", Imy("", "c0;"), "d=2 o=5 b=120 s=0: c.", "nearest length"},
        {"a double-dotted rest is exact", Imy("", "r2:c2"), "d=4 o=5 b=120 s=0: p. 16p c", ""},
        {"a double-dotted note is not", Imy("", "c2:"), "d=2 o=5 b=120 s=0: c", "nearest length"},
        {"repeat block", Imy("", "(c2d2@3)e2"), "d=4 o=5 b=120 s=0: c d c d c d e", ""},
        {"repeat for ever plays once", Imy("", "(c2@0)"), "d=4 o=5 b=120 s=0: c", "for ever"},
        {"repeat mark without a count", Imy("", "(c2@)@2"), "d=4 o=5 b=120 s=0: c", "\"@\" at character 4"},
        {"damaged token", Imy("", "c6d2vxe2*-f2"), "d=4 o=5 b=120 s=0: d e f", "\"c6\" at character 1"},
        {"vibration kept, lights and volume dropped", Imy("", "vibeonc2ledonV+vibeoffV-"), "d=4 o=5 b=120 s=0: v1 c v0",
         "ledon, V+, V-"},
        {"staccato style", Imy("BEAT:100\r\nSTYLE:S2\r\n", "c2"), "d=4 o=5 b=100 s=18: c", ""},
        {"lights alone: no notes, the usual defaults", Imy("", "ledon"), "d=4 o=5 b=120 s=0: ", "ledon"},
        {"other styles and volume", Imy("STYLE:S1\r\nVOLUME:V9\r\n", "c2"), "d=4 o=5 b=120 s=0: c", "volume V9"},
        {"UTF-8 name", Imy("NAME:Caf\xC3\xA9 \xE2\x82\xAC\r\n", "c2"), "d=4 o=5 b=120 s=0: c", "\xE2\x82\xAC"},
        {"huge repeat count is cut", Imy("", "(c5@999999999)"), nullptr, "cut after 32767"},
        // Thousands of blocks closing over a melody already cut: quick, not a copy each.
        {"nested blocks past the cut", Imy("", std::string(3000, '(') + "c5" + Repeated("@2)", 3000)), nullptr,
         "cut after 32767"},
    };
    ExpectReads(cases, LooksLikeImelody, ReadImelody);
    EXPECT_EQ(ReadImelody(ToBytes(Imy("NAME:Caf\xC3\xA9 \xE2\x82\xAC\r\n", "c2")))->score.settings.name, "Caf\xE9 ?");
    EXPECT_FALSE(ReadImelody(ToBytes("BEGIN:IMELODY\r\nBEAT:90\r\nEND:IMELODY\r\n")).has_value());
    EXPECT_FALSE(LooksLikeImelody(ToBytes("Imelody:d=4:c")));
}

TEST(ImelodyWriter, MarksOctavesForBothKindsOfReader) {
    const struct {
        const char* what;
        const char* text;  // ringtone text
        const char* beat;
        const char* melody;
        const char* warning;
    } cases[] = {
        {"plain", "X:d=4,o=5,b=125:c,8d#6,4p,2a4.,v1,c,v0", "125", "c2*5#d3r2*3a1.vibeon*4c2vibeoff", ""},
        {"*4 marked only after another octave", "X:d=4,o=6,b=120:c,c5,c5,c6", "120", "*5c2*4c2c2*5c2", ""},
        {"two-thirds lengths", "X:d=6,o=5,b=120:c,12d,3e", "120", "c2;d3;e1;", ""},
        {"a length iMelody lacks", "X:d=4,o=5,b=120:5c", "120", "c3.", "no length for 5c"},
        {"a tempo tag folded exactly", "X:d=4,o=5,b=100:c,t200,c,t100,c", "100", "c2c3c2", ""},
        {"a tempo tag that cannot be", "X:d=4,o=5,b=100:c,t130,c", "100", "c2c3.", "t130"},
        {"beat kept within 25..900", "X:d=4,o=5,b=1000:c", "900", "c3:", "BEAT is 900"},
        {"octave past *8 moved", "X:d=4,o=5,b=120:c,c10", "120", "c2*8c2", "moved by whole octaves"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const MelodyExport written = WriteImelody(melody::ReadScoreText(c.text));
        EXPECT_EQ(ToText(written.bytes), Imy("NAME:X\r\nBEAT:" + std::string(c.beat) + "\r\n", c.melody));
        ExpectWarning(written.warnings, c.warning);
    }
}

TEST(ImelodyWriter, FoldsLongLinesBetweenTokens) {
    const std::string file =
        ToText(WriteImelody(melody::ReadScoreText("Long:d=4,o=5,b=120:" + Repeated("c6,8d#7,", 40))).bytes);
    std::size_t start = 0;
    for (std::size_t end = file.find("\r\n"); end != std::string::npos; end = file.find("\r\n", start)) {
        EXPECT_LE(end - start, 75U) << file.substr(start, end - start);
        start = end + 2;
    }
    EXPECT_NE(file.find("\r\n *"), std::string::npos);
    // "NAME:" and 70 letters fill a line of 75 octets; one more letter folds it.
    for (const std::size_t letters : {std::size_t{70}, std::size_t{71}}) {
        const std::string name(letters, 'N');
        const std::string named = ToText(WriteImelody(melody::ReadScoreText(name + ":d=4,o=5,b=120:c")).bytes);
        EXPECT_EQ(named.find("NAME:" + name + "\r\n") != std::string::npos, letters == 70) << letters;
    }
    EXPECT_EQ(Summary(ReadImelody(ToBytes(file))->score), "d=4 o=6 b=120 s=0:" + Repeated(" c 8d#7", 40));
}

TEST(ComposerWriter, ShowsNotesAndKeysAsThePhoneDoes) {
    const struct {
        const char* what;
        const char* text;
        const char* file;
        const char* warning;
    } cases[] = {
        {"hold, sharp, octave and length keys", "A test:d=4,o=5,b=125:8d,8d,4p,2d#6,8g#5.,16c6,4a6,4c7,1e5",
         "Name: A test\nTempo: 125\nNotes: 8d1 8d1 4- 2#d2 8.#g1 16c2 4a2 4c3 1e1\n"
         "Keys: 28 2 09 2#*9 5(hold)#**88 1*8 699 1* 3*99\n",
         ""},
        {"a melody in octave 4 moves up whole", "Low:d=4,o=4,b=130:a,b,p,c5",
         "Name: Low\nTempo: 125\nNotes: 4a1 4b1 4- 4c2\nKeys: 6 7 0 1*\n", "moved up 1 octave"},
        {"a wide melody moves only its outer notes", "W:d=4,o=5,b=120:c4,c5,c6,c7,c8",
         "Name: W\nTempo: 125\nNotes: 4c1 4c1 4c2 4c3 4c3\nKeys: 1 1 1* 1* 1\n", "c8 down 1 octave"},
        {"lengths rounded, tags named", "R:d=4,o=5,b=100:6c,t200,v1,64d",
         "Name: R\nTempo: 100\nNotes: 8.c1 32d1\nKeys: 1(hold)8 288\n", "t200, v1"},
        {"a tempo the Composer lacks; one octave moves whole", "T:d=4,o=4,b=130:c",
         "Name: T\nTempo: 125\nNotes: 4c1\nKeys: 1\n", "130 is not one the Composer has"},
        {"control characters in the name", "A\x7F\x01-B:d=4,o=5,b=125:c",
         "Name: A  -B\nTempo: 125\nNotes: 4c1\nKeys: 1\n", "written as blanks"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const MelodyExport written = WriteComposer(melody::ReadScoreText(c.text));
        EXPECT_EQ(ToText(written.bytes), c.file);
        ExpectWarning(written.warnings, c.warning);
    }
}

TEST(ComposerWriter, WarnsPastFiftyNotes) {
    for (const std::size_t count : {50U, 51U}) {
        const MelodyExport written = WriteComposer(melody::ReadScoreText("X:d=4,o=5,b=120:" + Repeated("c,", count)));
        EXPECT_EQ(Joined(written.warnings).find("first 50") != std::string::npos, count > 50) << count;
    }
}

TEST(ComposerReader, ReadsPublishedLines) {
    const ReadCase cases[] = {
        {"a bare line", "8d2  8d2, 4-\t2#d3\n", "d=8 o=6 b=140 s=0: d d 4p 2d#7", ""},
        {"the slowest tempo", "Tempo: 1\nNotes: 4c1\n", "d=4 o=5 b=1 s=0: c", ""},
        {"a file with skipped tokens", "Name: Tune\r\nTempo: 100\r\nNotes: 4c1 zz c1 016c1 8.d2 4h3 16c.1 32-. 4-x\r\n",
         "d=4 o=5 b=100 s=0: c 8d6. b7 16c. 32p.", "\"zz\""},
    };
    ExpectReads(cases, LooksLikeComposer, ReadComposer);
    for (const char* other : {"Notes:d=4,o=5,b=100:c", "4c5 4d5", "8d2 8x2", "", "hello"}) {
        EXPECT_FALSE(LooksLikeComposer(ToBytes(other))) << other;
    }
}

}  // namespace
}  // namespace belltower::interchange
