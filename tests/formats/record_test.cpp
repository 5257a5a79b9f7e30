// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/record.h"

#include <gtest/gtest.h>

#include "formats/names.h"
#include "support/hex.h"

namespace belltower::formats {
namespace {

using testing::Hex;

const std::string kToneData = "00 02 FC 09 0A 01 8B 34 0A FE 07 0B 00";  // 13 bytes

// "Ab", index 300, no ID, 13 bytes of tone data.
const Bytes kAsciiAb = Hex("00 00 01 2C"  // index 300
                           "00 00 00 24"  // record length 36
                           "20 20 20 20"  // no ID
                           "00 00 00 00"  // zero bytes
                           "03"           // name-length byte
                           "41 62 00"     // "Ab", terminator
                           + kToneData + "FF FF FF");
Bytes UnicodeAb(std::uint8_t purpose) {
    Bytes record =
        Hex("00 00 01 2C 00 00 00 28 20 20 20 20 00 00 00 00 00 03 00 41 00 62 00 00" + kToneData + "FF FF FF");
    record[16] = purpose;
    return record;
}

TEST(BuildRecord, BuildsTheAbExampleInBothLayouts) {
    const Bytes asciiTail = Hex("00" + kToneData);
    const Bytes unicodeTail = Hex("00 00" + kToneData);
    EXPECT_BYTES_EQ(kAsciiAb, *BuildRecord(300, "", "Ab", asciiTail, std::nullopt, TextFormat::Ascii));
    EXPECT_BYTES_EQ(UnicodeAb(0), *BuildRecord(300, "", "Ab", unicodeTail, std::nullopt, TextFormat::Unicode));
    EXPECT_BYTES_EQ(UnicodeAb(2), *BuildRecord(300, "", "Ab", unicodeTail, 2, TextFormat::Unicode));
    // The ASCII layout has no purpose byte: a given purpose is ignored.
    EXPECT_BYTES_EQ(kAsciiAb, *BuildRecord(300, "", "Ab", asciiTail, 2, TextFormat::Ascii));
    // An empty name has the length byte 1, then the terminator; the ID is padded or cut to four.
    const Bytes empty = *BuildRecord(1, "AB", "", Hex("00 07 0B"), std::nullopt, TextFormat::Ascii);
    EXPECT_BYTES_EQ(Hex("00 00 00 01 00 00 00 14 41 42 20 20 00 00 00 00 01 00 07 0B"), empty);
    EXPECT_EQ(0u, *RecordNameLength(empty, TextFormat::Ascii));
    EXPECT_EQ("ABCD", *RecordId(*BuildRecord(1, "ABCDEF", "", Hex("00"), std::nullopt, TextFormat::Ascii)));
}

TEST(BuildRecord, RefusesValuesThatDoNotFitTheirFields) {
    const struct {
        std::int64_t index;
        std::optional<std::int64_t> purpose;
        std::size_t nameLength;
    } cases[] = {{-1, std::nullopt, 1}, {2147483648, std::nullopt, 1}, {1, -1, 1}, {1, 256, 1}, {1, std::nullopt, 255}};
    for (const auto& c : cases) {
        const auto result =
            BuildRecord(c.index, "", std::string(c.nameLength, 'x'), Hex("00"), c.purpose, TextFormat::Unicode);
        ASSERT_FALSE(result);
        EXPECT_EQ(ErrorCode::BadInput, result.error().code);
    }
    EXPECT_TRUE(BuildRecord(2147483647, "", std::string(254, 'x'), Hex("00"), 255, TextFormat::Unicode));
}

TEST(RecordFields, ReadsNameTailAndHeaderInBothLayouts) {
    EXPECT_EQ(2u, *RecordNameLength(kAsciiAb, TextFormat::Ascii));
    EXPECT_BYTES_EQ(Hex("41 62"), *RecordNameBytes(kAsciiAb, TextFormat::Ascii));
    EXPECT_EQ("Ab", *RecordDisplayName(kAsciiAb, TextFormat::Ascii));
    EXPECT_BYTES_EQ(Hex("00" + kToneData + "FF FF FF"), *RecordTail(kAsciiAb, TextFormat::Ascii));
    EXPECT_EQ(300, *RecordIndex(kAsciiAb));
    EXPECT_EQ(36, *RecordLengthField(kAsciiAb));
    EXPECT_EQ("    ", *RecordId(kAsciiAb));

    const Bytes unicode = UnicodeAb(2);
    EXPECT_EQ(2u, *RecordNameLength(unicode, TextFormat::Unicode));
    EXPECT_BYTES_EQ(Hex("00 41 00 62"), *RecordNameBytes(unicode, TextFormat::Unicode));
    EXPECT_EQ("Ab", *RecordDisplayName(unicode, TextFormat::Unicode));
    EXPECT_BYTES_EQ(Hex("00 00" + kToneData + "FF FF FF"), *RecordTail(unicode, TextFormat::Unicode));
    EXPECT_EQ(2, *RecordPurpose(unicode));
    // The purpose byte does not count in the Unicode name length.
    EXPECT_EQ("Hello", *RecordDisplayName(Hex("00000001 00000028 20202020 00000000 02 06 0048 0065 006C 006C 006F"
                                              "0000 070B"),
                                          TextFormat::Unicode));
}

TEST(RecordFields, DamagedRecordsAreRejectedNeverReadPast) {
    // Name-length byte 0; a name-length field with a first byte of 0x80 or more.
    EXPECT_EQ(ErrorCode::DamagedData,
              RecordNameLength(Hex("00000001 00000014 20202020 00000000 00 00 07 0B"), TextFormat::Ascii).error().code);
    EXPECT_FALSE(RecordNameLength(Hex("00000001 00000014 20202020 00800000 03 41 62 00"), TextFormat::Ascii));
    // Every truncation of a valid record fails cleanly as soon as the name no longer fits.
    for (const auto format : {TextFormat::Ascii, TextFormat::Unicode}) {
        const Bytes record = format == TextFormat::Ascii ? kAsciiAb : UnicodeAb(2);
        const std::size_t nameEnd = format == TextFormat::Ascii ? 19 : 22;
        for (std::size_t size = 0; size <= record.size(); ++size) {
            SCOPED_TRACE(size);
            const ByteView prefix(record.data(), size);
            EXPECT_EQ(size >= nameEnd, RecordNameLength(prefix, format).has_value());
            EXPECT_EQ(size >= nameEnd, RecordTail(prefix, format).has_value());
            EXPECT_EQ(size >= 4, RecordIndex(prefix).has_value());
            EXPECT_EQ(size >= 8, RecordLengthField(prefix).has_value());
            EXPECT_EQ(size >= 12, RecordId(prefix).has_value());
            EXPECT_EQ(size >= 17, RecordPurpose(prefix).has_value());
            EXPECT_EQ(size == record.size(), IsWholeRecord(prefix));  // only the whole record gives its length
            (void)RecordPlayMode(prefix);
            (void)DetectRecordFormat(prefix);
        }
    }
}

TEST(RecordPlayMode, SearchesTheLastElevenBytes) {
    const struct {
        const char* tail;
        int mode;
    } cases[] = {
        {"0A FE 40 01 07 0B FF FF", 0},
        {"0A FE 40 01 0A 0E 07 0B", 1},
        {"0A 0A 40 01 07 0B", 2},
        {"0A 0A 40 01 0A 0E 07 0B FF FF", 3},
        {"0A FE 40 0A 0A 0E 07 0B", 3},              // a delay byte of 0x0A forms 0A 0A with the play-once marker
        {"0A 0A 00 00 00 00 00 00 00 00 07 0B", 0},  // one byte too far from the end: the marker does not count
        {"0A 0A 00 00 00 00 00 00 00 07 0B", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tail);
        EXPECT_EQ(c.mode,
                  RecordPlayMode(Hex("00 00 00 01 00 00 00 00 20 20 20 20 00 00 00 00 01 00" + std::string(c.tail))));
    }
    EXPECT_EQ("Ringing and preview infinite", PlayModeText(0));
    EXPECT_EQ("Preview once, rings infinitely", PlayModeText(1));
    EXPECT_EQ("Preview twice", PlayModeText(2));
    EXPECT_EQ("Rings always once.", PlayModeText(3));
}

TEST(Fill, StripsEveryTrailingFfAndFillsToFour) {
    EXPECT_BYTES_EQ(Hex("01"), StripFill(Hex("01 FF FF FF FF FF")));
    EXPECT_BYTES_EQ(Hex(""), StripFill(Hex("FF FF")));
    EXPECT_EQ(36u, AddFill(Bytes(36, 1)).size());
    EXPECT_BYTES_EQ(Hex("01 01 01 01 01 FF FF FF"), AddFill(Bytes(5, 1)));
    EXPECT_BYTES_EQ(Hex("FF FF FF"), ByteView(AddFill(Bytes(37, 1))).subspan(37));
}

TEST(DetectRecordFormat, TellsTheLayoutFromBytes16And17) {
    const struct {
        std::uint8_t b16;
        std::uint8_t b17;
        TextFormat format;
    } cases[] = {
        {6, 0x52, TextFormat::Ascii}, {0, 0x52, TextFormat::Unicode}, {2, 1, TextFormat::Unicode},
        {2, 31, TextFormat::Unicode}, {2, 32, TextFormat::Ascii},     {3, 0, TextFormat::Ascii},
    };
    for (const auto& c : cases) {
        Bytes record(24, 0x20);
        record[16] = c.b16;
        record[17] = c.b17;
        EXPECT_EQ(c.format, DetectRecordFormat(record)) << int(c.b16) << " " << int(c.b17);
    }
    EXPECT_EQ(TextFormat::Unicode, DetectRecordFormat(Bytes(10, 0x20)));  // byte 16 missing reads as 0
}

TEST(Names, EveryByteValueSurvivesWidenAndNarrowOrIsPrintedAsItShould) {
    Bytes all;  // all 255 non-zero byte values: a name of them round-trips whole
    for (int value = 0; value < 256; ++value) {
        SCOPED_TRACE(value);
        const Bytes one{static_cast<std::uint8_t>(value)};
        EXPECT_BYTES_EQ(Bytes({0, one[0]}), AsciiToUnicode(one));
        EXPECT_EQ(value == 0 ? Bytes{} : one, UnicodeToAscii(AsciiToUnicode(one)));
        EXPECT_EQ((value < 32 || value == 255) ? 32 : value, ToPrintable(one)[0]);
        if (value > 0) {
            all.push_back(one[0]);
        }
    }
    EXPECT_BYTES_EQ(all, UnicodeToAscii(AsciiToUnicode(all)));
    EXPECT_TRUE(UnicodeToAscii(Bytes{}).empty());
    EXPECT_BYTES_EQ(Hex("41 42"), UnicodeToAscii(Hex("00 41 00 00 42")));  // every zero byte goes
    EXPECT_BYTES_EQ(Hex("41 62"), WidenIfUnicode(Hex("41 62"), TextFormat::Ascii));
    EXPECT_BYTES_EQ(Hex("00 41 00 62"), WidenIfUnicode(Hex("41 62"), TextFormat::Unicode));
}

}  // namespace
}  // namespace belltower::formats
