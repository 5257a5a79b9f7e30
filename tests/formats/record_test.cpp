#include "formats/record.h"

#include <gtest/gtest.h>

#include "support/hex.h"

namespace belltower::formats {
namespace {

using testing::Hex;

const Bytes kToneData = Hex("00 02 FC 09 0A 01 8B 34 0A FE 07 0B 00");  // 13 bytes

// "Ab", index 300, no ID, 13 bytes of tone data.
Bytes AsciiAb() {
    return Hex("00 00 01 2C"  // index 300
               "00 00 00 24"  // record length 36
               "20 20 20 20"  // no ID
               "00 00 00 00"  // zero bytes
               "03"           // name-length byte
               "41 62"        // "Ab"
               "00"           // terminator
               "00 02 FC 09 0A 01 8B 34 0A FE 07 0B 00"
               "FF FF FF");
}

Bytes UnicodeAb(std::uint8_t purpose) {
    Bytes record = Hex("00 00 01 2C 00 00 00 28 20 20 20 20 00 00 00 00");
    record.push_back(purpose);
    Append(record, Hex("03 00 41 00 62 00 00"));
    Append(record, kToneData);
    Append(record, Hex("FF FF FF"));
    return record;
}

TEST(BuildRecord, BuildsTheAbExampleInBothLayouts) {
    const Bytes asciiTail = [] {
        Bytes t{0};
        Append(t, kToneData);
        return t;
    }();
    EXPECT_BYTES_EQ(AsciiAb(), *BuildRecord(300, "", "Ab", asciiTail, std::nullopt, TextFormat::Ascii));

    const Bytes unicodeTail = [] {
        Bytes t{0, 0};
        Append(t, kToneData);
        return t;
    }();
    EXPECT_BYTES_EQ(UnicodeAb(0), *BuildRecord(300, "", "Ab", unicodeTail, std::nullopt, TextFormat::Unicode));
    EXPECT_BYTES_EQ(UnicodeAb(2), *BuildRecord(300, "", "Ab", unicodeTail, 2, TextFormat::Unicode));
    // The ASCII layout has no purpose byte: a given purpose is ignored.
    EXPECT_BYTES_EQ(AsciiAb(), *BuildRecord(300, "", "Ab", asciiTail, 2, TextFormat::Ascii));
}

TEST(BuildRecord, PadsOrCutsTheIdAndKeepsItsSpaces) {
    const Bytes tail = Hex("00 07 0B");
    EXPECT_EQ("AB  ", *RecordId(*BuildRecord(1, "AB", "", tail, std::nullopt, TextFormat::Ascii)));
    EXPECT_EQ("ABCD", *RecordId(*BuildRecord(1, "ABCDEF", "", tail, std::nullopt, TextFormat::Ascii)));
    EXPECT_EQ("    ", *RecordId(*BuildRecord(1, "", "", tail, std::nullopt, TextFormat::Ascii)));
}

TEST(BuildRecord, EmptyNameHasLengthByteOneThenTheTerminator) {
    const Bytes record = *BuildRecord(1, "", "", Hex("00 07 0B"), std::nullopt, TextFormat::Ascii);
    EXPECT_BYTES_EQ(Hex("00 00 00 01 00 00 00 14 20 20 20 20 00 00 00 00 01 00 07 0B"), record);
    EXPECT_EQ(0u, *RecordNameLength(record, TextFormat::Ascii));
}

TEST(BuildRecord, RefusesValuesThatDoNotFitTheirFields) {
    const Bytes tail = Hex("00");
    const struct {
        std::int64_t index;
        std::optional<std::int64_t> purpose;
        std::size_t nameLength;
    } cases[] = {{-1, std::nullopt, 1}, {2147483648, std::nullopt, 1}, {1, -1, 1}, {1, 256, 1}, {1, std::nullopt, 255}};
    for (const auto& c : cases) {
        const auto result =
            BuildRecord(c.index, "", std::string(c.nameLength, 'x'), tail, c.purpose, TextFormat::Unicode);
        ASSERT_FALSE(result);
        EXPECT_EQ(ErrorCode::BadInput, result.error().code);
    }
    EXPECT_TRUE(BuildRecord(2147483647, "", std::string(254, 'x'), tail, 255, TextFormat::Unicode));
}

TEST(RecordFields, ReadsNameTailAndHeaderInBothLayouts) {
    const Bytes ascii = AsciiAb();
    EXPECT_EQ(2u, *RecordNameLength(ascii, TextFormat::Ascii));
    EXPECT_BYTES_EQ(Hex("41 62"), *RecordNameBytes(ascii, TextFormat::Ascii));
    EXPECT_EQ("Ab", *RecordDisplayName(ascii, TextFormat::Ascii));
    EXPECT_EQ(17u, RecordTail(ascii, TextFormat::Ascii)->size());  // terminator, 13 bytes, fill
    EXPECT_EQ(300, *RecordIndex(ascii));
    EXPECT_EQ(36, *RecordLengthField(ascii));

    const Bytes unicode = UnicodeAb(2);
    EXPECT_EQ(2u, *RecordNameLength(unicode, TextFormat::Unicode));
    EXPECT_BYTES_EQ(Hex("00 41 00 62"), *RecordNameBytes(unicode, TextFormat::Unicode));
    EXPECT_EQ("Ab", *RecordDisplayName(unicode, TextFormat::Unicode));
    EXPECT_BYTES_EQ(Hex("00 00 00 02 FC 09 0A 01 8B 34 0A FE 07 0B 00 FF FF FF"),
                    *RecordTail(unicode, TextFormat::Unicode));
    EXPECT_EQ(2, *RecordPurpose(unicode));
}

TEST(RecordFields, PurposeDoesNotChangeTheUnicodeNameLength) {
    Bytes record = Hex("00 00 00 01 00 00 00 28 20 20 20 20 00 00 00 00 02 06");
    Append(record, AsciiToUnicode(ToBytes("Hello")));
    Append(record, Hex("00 00 07 0B"));
    EXPECT_EQ(5u, *RecordNameLength(record, TextFormat::Unicode));
    EXPECT_EQ("Hello", *RecordDisplayName(record, TextFormat::Unicode));
}

TEST(RecordFields, DamagedRecordsAreRejectedNeverReadPast) {
    // Name-length byte 0.
    EXPECT_EQ(ErrorCode::DamagedData,
              RecordNameLength(Hex("00000001 00000014 20202020 00000000 00 00 07 0B"), TextFormat::Ascii).error().code);
    // Name-length field with a first byte of 0x80 or more.
    EXPECT_FALSE(RecordNameLength(Hex("00000001 00000014 20202020 00800000 03 41 62 00"), TextFormat::Ascii));
    // Every truncation of a valid record fails cleanly as soon as the name no longer fits.
    for (const auto format : {TextFormat::Ascii, TextFormat::Unicode}) {
        const Bytes record = format == TextFormat::Ascii ? AsciiAb() : UnicodeAb(2);
        const std::size_t nameEnd = format == TextFormat::Ascii ? 19 : 22;
        for (std::size_t size = 0; size <= record.size(); ++size) {
            SCOPED_TRACE(size);
            const ByteView prefix(record.data(), size);
            EXPECT_EQ(size >= nameEnd, RecordNameLength(prefix, format).has_value());
            EXPECT_EQ(size >= nameEnd, RecordTail(prefix, format).has_value());
            EXPECT_EQ(size >= 4, RecordIndex(prefix).has_value());
            EXPECT_EQ(size >= 8, RecordLengthField(prefix).has_value());
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
        // A delay byte of 0x0A before the play-once marker forms 0A 0A with it.
        {"0A FE 40 0A 0A 0E 07 0B", 3},
        // Too far from the end: the marker does not count.
        {"0A 0A 00 00 00 00 00 00 00 00 00 07 0B", 0},
        {"0A 0A 00 00 00 00 00 00 00 07 0B", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tail);
        Bytes record = Hex("00 00 00 01 00 00 00 00 20 20 20 20 00 00 00 00 01 00");
        Append(record, Hex(c.tail));
        EXPECT_EQ(c.mode, RecordPlayMode(record));
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
    const Bytes filled = AddFill(Bytes(37, 1));
    EXPECT_EQ(40u, filled.size());
    EXPECT_BYTES_EQ(Hex("FF FF FF"), ByteView(filled).subspan(37));
}

TEST(DetectRecordFormat, TellsTheLayoutFromBytes16And17) {
    const struct {
        std::uint8_t b16;
        std::uint8_t b17;
        TextFormat format;
    } cases[] = {
        {6, 0x52, TextFormat::Ascii}, {0, 0x52, TextFormat::Unicode}, {2, 5, TextFormat::Unicode},
        {2, 31, TextFormat::Unicode}, {2, 32, TextFormat::Ascii},     {3, 0, TextFormat::Ascii},
    };
    for (const auto& c : cases) {
        Bytes record(24, 0x20);
        record[16] = c.b16;
        record[17] = c.b17;
        EXPECT_EQ(c.format, DetectRecordFormat(record)) << int(c.b16) << " " << int(c.b17);
    }
}

}  // namespace
}  // namespace belltower::formats
