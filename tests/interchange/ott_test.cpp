// SPDX-License-Identifier: GPL-3.0-or-later
// Smart Messaging ringtones: a hand-made file read and written back bit for bit, the limits of
// the format, and damaged files.
#include <gtest/gtest.h>

#include "interchange/ott.h"
#include "support/hex.h"
#include "support/hostile_inputs.h"

namespace belltower::interchange {
namespace {

using formats::Bytes;
using formats::ErrorCode;
using melody::MelodyFields;
using testing::Repeated;

// "0100 101": the bits of a file, most significant first (blanks are ignored), then zero bits
// up to a byte and the command end (or another last byte).
Bytes Closed(std::string_view bits, std::uint8_t end = 0) {
    Bytes bytes;
    std::size_t count = 0;
    for (const char c : bits) {
        if (c == '0' || c == '1') {
            bytes.resize(count / 8 + 1);  // a new zero byte at every eighth bit
            bytes.back() = static_cast<std::uint8_t>(bytes.back() | (c - '0') << (7 - count % 8));
            ++count;
        }
    }
    bytes.push_back(end);
    return bytes;
}

// Everything of a file up to its first instruction, for a basic song titled "X" and one pattern A.
std::string Head(const char* loop, const char* count) {
    return std::string("00000010 0100101 0 0011101 001 0001 01011000 00000001 000 00 ") + loop + " " + count + " ";
}

// The first phrase of a well-known tune, with a rest and a low g, as a writer lays it out.
const Bytes kJoy = Closed("00000010"                          // two command parts
                          "0100101 0"                         // ringing-tone programming, filler
                          "0011101 001"                       // sound, basic song
                          "0011 01001010 01101111 01111001"   // title "Joy"
                          "00000001"                          // one pattern
                          "000 00 0000 00010101"              // pattern A, no loop, 21 instructions
                          "010 01  011 00  100 01110"         // scale 1 (a at 880 Hz), natural style, 125 per minute
                          "001 0101 010 00  001 0101 010 00"  // e e (quarters)
                          "001 0110 010 00  001 1000 010 00"  // f g
                          "001 1000 010 00  001 0110 010 00"  // g f
                          "001 0101 010 00  001 0011 010 00"  // e d
                          "001 0001 010 00  001 0001 010 00"  // c c
                          "001 0011 010 00  001 0101 010 00"  // d e
                          "001 0101 010 01  001 0011 011 00"  // e. (dotted) 8d
                          "001 0011 001 00  001 0000 010 00"  // 2d, quarter rest
                          "010 00  001 1000 001 00");         // scale 0, 2g; then filler and the command end

TEST(Ott, ReadsAHandMadeFileAndWritesItBackBitForBit) {
    const auto read = ReadOtt(kJoy);
    ASSERT_TRUE(read) << read.error().message;
    EXPECT_EQ(read->fields.name + " " + read->fields.tempo, "Joy 125");  // the notes: see the reading table
    EXPECT_BYTES_EQ(kJoy, WriteOtt(read->fields)->bytes);
    // The first three bytes decide: 1 to 15 command parts, ringing-tone programming, then a sound.
    const std::pair<const char*, bool> starts[] = {{"024A3A", true}, {"024A", false},   {"014A3A", true},
                                                   {"0F4A3A", true}, {"004A3A", false}, {"104A3A", false}};
    for (const auto& [start, looks] : starts) {
        EXPECT_EQ(LooksLikeOtt(testing::Hex(start)), looks) << start;
    }
}

// What the format holds is written without a warning; the rest is rounded or dropped, with a
// warning naming it. Whatever is written reads back without a warning and writes again the same.
TEST(Ott, WritesWhatTheFormatHoldsAndSaysWhatItChanged) {
    const struct {
        MelodyFields fields;
        const char* readBack;  // the notes as an import gives them ("" when not checked), or "refused"
        const char* message;   // a part of the one warning ("" for none), or the refusal
    } cases[] = {
        {{.notes = "p,4p,c4"}, "", ""},
        {{.notes = "3c,6d,12e,24f,48g"}, "c,6d,12e,24f,48g", ""},  // triplets from the half note down
        {{.notes = Repeated("c,g7,", 150)}, "", ""},               // three patterns: a scale change before every note
        {{.name = "Latin-1 \xE9\xFF"}, "", ""},
        {{.notes = "c3,c,d3"},
         "c,c6,d",
         "\"c3\" and 1 more lie below the four octaves of the format: they are moved 1 octave up"},
        {{.octave = "-6", .notes = "f"}, "f", "\"f\" lies below the four octaves"},  // code 0, the lowest
        {{.notes = "c,b9"}, "c,b7", "\"b9\" lies above the four octaves of the format: it is moved 2 octaves down"},
        {{.tempo = "120", .notes = "c"}, "", "tempo 120 is not one the format has: it becomes 125"},
        {{.notes = "c,t1000,d"}, "c,t900,d", "tempo 1000 is not one the format has: it becomes 900"},
        {{.notes = "5c"}, "", "\"5c\" has a length the format cannot write: it becomes dotted 1/8"},
        {{.notes = "c,v1,d,v0"}, "", "vibration tags are dropped"},
        {{.notes = "c", .staccato = "1"}, "", "staccato length 1 is dropped"},
        {{.notes = "c", .delay = "20"}, "", "delay of 20 units is dropped"},
        {{.notes = "c", .forceOnePlay = true}, "", "\"Force one play\" is dropped"},
        {{.name = "A name of twenty chars"}, "", "cut to its first 15 characters, \"A name of twent\""},
        {{.duration = "0", .notes = "c"},
         "refused",
         "The note \"c\" cannot be timed: its duration is not a positive number."},
        {{.tempo = "0", .notes = "p"},
         "refused",
         "The pause \"p\" cannot be timed: the tempo is not a positive number."},
        {{.notes = "c30"}, "refused", "The note \"c30\" gives the code 427, above 255: its octave is too high."},
    };
    for (const auto& [fields, readBack, warning] : cases) {
        const auto written = WriteOtt(fields);
        if (std::string_view(readBack) == "refused") {
            EXPECT_EQ(written.error(), (formats::Error{ErrorCode::BadInput, warning}));
            continue;
        }
        ASSERT_TRUE(written) << warning;
        ASSERT_EQ(written->warnings.size(), *warning == '\0' ? 0U : 1U) << fields.notes;
        EXPECT_TRUE(*warning == '\0' || written->warnings[0].find(warning) != std::string::npos)
            << written->warnings[0];
        const auto read = ReadOtt(written->bytes);
        ASSERT_TRUE(read && read->warnings.empty()) << fields.notes;
        EXPECT_BYTES_EQ(written->bytes, WriteOtt(read->fields)->bytes) << fields.notes;
        EXPECT_TRUE(*readBack == '\0' || read->fields.notes == readBack) << read->fields.notes;
    }
}

// What other writers put in a file that the edit fields cannot hold is read with a warning;
// damaged files are refused with a clear message.
TEST(Ott, ReadsWhatItCanAndSaysWhatItCannot) {
    const struct {
        Bytes file;
        const char* read;     // duration:octave:notes, or the error code when refused
        const char* message;  // a part of the one warning or of the error, "" for no warning
    } cases[] = {
        {kJoy, "4:5:e,e,f,g,g,f,e,d,c,c,d,e,e.,8d,2d,p,2g4", ""},
        {Closed(Head("0000", "00000001") + "001 1010 000 10"), "1:5:a.", "double-dotted 1/1 note"},
        {Closed(Head("0000", "00000001") + "001 1010 000 11"), "2:5:a.", "triplet 1/1 note"},
        {Closed(Head("0000", "00000010") + "011 10 001 1010 000 01"), "1:5:a.", "staccato style is not kept"},
        {Closed(Head("0000", "00000001") + "101 1111"), "4:5:", "volume instructions are not kept"},
        {Closed(Head("0001", "00000001") + "001 1010 010 00"), "4:5:a twice", ""},
        {Closed(Head("0011", "00000001") + "001 1010 010 00"), "4:5:a", "repeats 3 more times; one pass is kept"},
        {Closed(Head("1111", "00000001") + "001 1010 010 00"), "4:5:a", "repeats without end; one pass is kept"},
        {Closed("00000010 0100101 0 0011101 001 0001 01011000 00000011"  // patterns A (twice), B, A again
                "000 00 0001 00000001 001 1010 010 00  000 01 0000 00000001 001 0001 011 00  000 00 0000 00000000"),
         "4:5:a,a,8c,a", ""},
        // 33 characters, the last a blank, in a length field of 1.
        {Closed("00000010 0100101 0 0011101 001 0001" + Repeated(" 01011000", 32) + " 00100000" +
                " 00000001 000 00 0000 00000001 001 1010 010 00"),
         "4:5:a", "length field gives 1, but the title has 33 characters"},
        {Closed("00000010 0100101 0 0011101 001 0001" + Repeated(" 01011000", 16) +
                " 01111111" +  // unprintable 17th (DEL)
                " 00000001 000 00 0000 00000001 001 1010 010 00"),
         "damaged", ""},
        {Closed("00000010 0100101 0 0011101 001 0001" + Repeated(" 01011000", 257) +  // more than 255 characters
                " 00000001 000 00 0000 00000001 001 1010 010 00"),
         "damaged", ""},
        {Closed("00000010 0100101 0 0011101 001 0000 00000001 000 01 0101 00000000"), "4:5:",  // as some tools give
         "pattern B, which it never defines: it is read as empty"},
        {Closed("00000010 0100101 0 0011101 010 00000001 000 00 0000 00000001 001 1010 010 00"), "4:5:a",
         ""},  // no title
        {Closed(Head("0000", "00000001") + "001 1010 010 00 00000 00000000 11111111"), "4:5:a",
         "2 bytes after the end of the ringtone are ignored"},
        {Closed("00000011 0100101 0 0100010 0 0011101 001 0001 00000001 00000000 00000000"),  // Unicode title
         "4:5:", "had characters outside Latin-1"},
        {formats::ToBytes("Joy:d=4,o=5,b=125:e"), "bad input", "not a Smart Messaging ringtone"},
        {Closed("00000010 0100101 0 0011101 011"), "bad input", "song of type 3"},
        {Closed(Head("0000", "00000001") + "111 00000"), "damaged", "unknown instruction (7)"},
        {Closed(Head("0000", "00000001") + "001 1101 010 00"), "damaged", "note value 13"},
        {Closed(Head("0000", "00000001") + "001 0001 110 00"), "damaged", "note duration 6"},
        {Closed(Head("0000", "00000001") + "001 1010 010 00", 0x01), "damaged", "close with a command end"},
        {Closed("00000011 0100101 0 0011101 001 0000 00000000 00 0000001"), "damaged", "command part (1)"},
    };
    for (const auto& [file, text, message] : cases) {
        const auto read = ReadOtt(file);
        if (!read) {
            EXPECT_EQ(read.error().code == ErrorCode::BadInput ? "bad input" : "damaged", std::string(text));
            EXPECT_NE(read.error().message.find(message), std::string::npos) << read.error().message;
            continue;
        }
        const MelodyFields& f = read->fields;
        EXPECT_EQ(f.duration + ":" + f.octave + ":" + f.notes + (f.playTwice ? " twice" : ""), text);
        ASSERT_EQ(read->warnings.size(), *message == '\0' ? 0U : 1U) << text;
        EXPECT_TRUE(*message == '\0' || read->warnings[0].find(message) != std::string::npos) << read->warnings[0];
    }
    // Without a tempo instruction a song plays at 63 beats per minute.
    EXPECT_EQ(ReadOtt(Closed(Head("0000", "00000001") + "001 1010 010 00"))->fields.tempo, "63");
    // Every cut of a whole file is refused, never read past its end.
    for (std::size_t size = 0; size < kJoy.size(); ++size) {
        const auto read = ReadOtt(formats::ByteView(kJoy).first(size));
        ASSERT_FALSE(read) << size;
        EXPECT_FALSE(read.error().message.empty());
    }
    // At most 4,096 notes are kept: pattern A of 255 notes played 16 times, then pattern B.
    for (const auto& [last, count] : {std::pair{std::size_t{16}, "00010000"}, std::pair{std::size_t{17}, "00010001"}}) {
        const auto read = ReadOtt(Closed("00000010 0100101 0 0011101 001 0000 00010001 000 00 0000 11111111" +
                                         Repeated("001 1010 010 00", 255) + Repeated("000 00 0000 00000000", 15) +
                                         "000 01 0000 " + count + Repeated("001 1010 010 00", last)));
        ASSERT_TRUE(read) << read.error().message;
        EXPECT_EQ(read->warnings.size(), last == 16 ? 0U : 1U);
        EXPECT_EQ(read->fields.notes.size(), std::size_t{4096} * 2 - 1);  // "a,a,...,a"
    }
}

}  // namespace
}  // namespace belltower::interchange
