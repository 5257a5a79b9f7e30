#include "melody/rtx_text.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace belltower::melody {
namespace {

// Fields with a marker in every box, so "unchanged" is visible.
MelodyFields Marked() {
    MelodyFields f;
    f.name = "N";
    f.duration = "D";
    f.octave = "O";
    f.tempo = "B";
    f.notes = "X";
    f.id = "F";
    f.delay = "@";
    f.index = "I";
    f.staccato = "S";
    return f;
}

TEST(RtxText, ReadsTheFirstLineIntoTheFields) {
    struct Case {
        const char* text;
        void (*expect)(MelodyFields&);
    };
    const Case cases[] = {
        {"Beep:d=4,o=5,b=125:8c,8d,8e",
         [](MelodyFields& f) {
             f.name = "Beep";
             f.duration = "4";
             f.octave = "5";
             f.tempo = "125";
             f.notes = "8c,8d,8e";
         }},
        {"A:D=16,O=6:c",
         [](MelodyFields& f) {
             f.name = "A";
             f.duration = "16";
             f.octave = "6";
             f.notes = "c";
         }},
        // A blank before the key makes it another key.
        {"A:d=4, o=5:c",
         [](MelodyFields& f) {
             f.name = "A";
             f.duration = "4";
             f.notes = "c";
         }},
        {"A:d=4,x,o=5:c",
         [](MelodyFields& f) {
             f.name = "A";
             f.duration = "4";
             f.octave = "5";
             f.notes = "c";
         }},
        {"A:d=4,,o=5:c",
         [](MelodyFields& f) {
             f.name = "A";
             f.duration = "4";
             f.octave = "5";
             f.notes = "c";
         }},
        {"A:f=AB=C:c",
         [](MelodyFields& f) {
             f.name = "A";
             f.id = "AB=C";
             f.notes = "c";
         }},
        {"A:c=1:c",
         [](MelodyFields& f) {
             f.name = "A";
             f.forceOnePlay = true;
             f.notes = "c";
         }},
        {"A:c=-2:c",
         [](MelodyFields& f) {
             f.name = "A";
             f.notes = "c";
         }},
        {"A:d=8:c:d:e",
         [](MelodyFields& f) {
             f.name = "A";
             f.duration = "8";
             f.notes = "c:d:e";
         }},
        {"c d e", [](MelodyFields& f) { f.notes = "c d e"; }},
        {"A:c d",
         [](MelodyFields& f) {
             f.name = "A";
             f.notes = "A:c d";
         }},
        {"", [](MelodyFields& f) { f.notes = ""; }},
        {"\r\nA:d=4:c", [](MelodyFields& f) { f.notes = ""; }},
        {"A:i=7,s=6,@=15,b= 90 ,i=8::c",
         [](MelodyFields& f) {
             f.name = "A";
             f.index = "8";
             f.staccato = "6";
             f.delay = "15";
             f.tempo = " 90 ";
             f.notes = ":c";
         }},
        // Lines end at CR, CR LF or LF.
        {"A:d=4:c\r\nB:d=2:e",
         [](MelodyFields& f) {
             f.name = "A";
             f.duration = "4";
             f.notes = "c";
         }},
        {"A:d=4:c\nB:d=2:e",
         [](MelodyFields& f) {
             f.name = "A";
             f.duration = "4";
             f.notes = "c";
         }},
        {"A:d=4:c\rB",
         [](MelodyFields& f) {
             f.name = "A";
             f.duration = "4";
             f.notes = "c";
         }},
        // Latin-1 bytes pass through untouched.
        {"Caf\xE9:d=4:\xFF",
         [](MelodyFields& f) {
             f.name = "Caf\xE9";
             f.duration = "4";
             f.notes = "\xFF";
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        for (const bool checked : {false, true}) {
            MelodyFields actual = Marked();
            actual.forceOnePlay = checked;
            actual.playTwice = checked;
            actual.noSmallPauses = checked;
            MelodyFields expected = actual;
            c.expect(expected);
            ReadRtxText(c.text, actual);
            EXPECT_EQ(expected, actual);
        }
    }
}

TEST(RtxText, ForceOnePlayFollowsTheSignOfTheValue) {
    const struct {
        const char* text;
        bool before;
        bool after;
    } cases[] = {{"A:c=1:c", false, true}, {"A:c=0:c", true, false},   {"A:c=abc:c", true, false},
                 {"A:c=-2:c", true, true}, {"A:c=-2:c", false, false}, {"A:C=0.5:c", false, true}};
    for (const auto& c : cases) {
        MelodyFields f;
        f.forceOnePlay = c.before;
        ReadRtxText(c.text, f);
        EXPECT_EQ(c.after, f.forceOnePlay) << c.text << " from " << c.before;
    }
}

TEST(RtxText, WritesEveryKeyInOrder) {
    EXPECT_EQ(":d=8,o=6,b=140,f=,i=1,c=0,s=0,@=1:\r\n", WriteRtxText(MelodyFields{}));
    MelodyFields f;
    f.name = "Tune";
    f.forceOnePlay = true;
    f.playTwice = true;
    f.notes = "8c 4d";
    EXPECT_EQ("Tune:d=8,o=6,b=140,f=,i=1,c=1,s=0,@=1:8c 4d\r\n", WriteRtxText(f));
}

TEST(RtxText, WriteThenReadRestoresTheFields) {
    MelodyFields written;
    written.name = "Caf\xE9 Tune";
    written.duration = "16";
    written.octave = "5";
    written.tempo = "137.5";
    written.notes = "c v0 d v1 e t200 8f#.";
    written.id = "AB";
    written.delay = "15";
    written.index = "42";
    written.staccato = "6";
    written.forceOnePlay = true;
    MelodyFields read = Marked();
    ReadRtxText(WriteRtxText(written), read);
    EXPECT_EQ(written, read);
}

TEST(RtxText, RefusesBinaryFilesSayingWhatTheyLookLike) {
    using namespace std::string_literals;
    const struct {
        std::string text;
        std::string looksLike;  // empty: ringtone text
    } cases[] = {
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
    for (const auto& c : cases) {
        const auto checked = CheckRingtoneText(c.text);
        ASSERT_EQ(c.looksLike.empty(), checked.has_value()) << c.text;
        if (!checked) {
            EXPECT_EQ("This is not ringtone text: it looks like " + c.looksLike + ".", checked.error().message);
        }
    }
}

TEST(RtxText, EveryCorpusLineReadsWithoutTrouble) {
    std::ifstream corpus(BELLTOWER_CORPUS, std::ios::binary);
    if (!corpus) {
        GTEST_SKIP() << "corpus not found at " << BELLTOWER_CORPUS;
    }
    std::string line;
    std::size_t lines = 0;
    while (std::getline(corpus, line)) {
        MelodyFields f;
        ReadRtxText(line, f);
        MelodyFields again;
        ReadRtxText(WriteRtxText(f), again);
        // Names and notes survive a write and a read unless they carry a colon.
        if (f.name.find(':') == std::string::npos) {
            EXPECT_EQ(f.name, again.name) << line;
        }
        EXPECT_EQ(f.notes, again.notes) << line;
        ++lines;
    }
    EXPECT_GT(lines, 900u);
}

}  // namespace
}  // namespace belltower::melody
