#include "bank/re_exchange.h"

#include <gtest/gtest.h>

#include <random>

#include "bank/list_operations.h"
#include "formats/record.h"
#include "test_banks.h"

namespace belltower::bank {
namespace {

using formats::Bytes;
using formats::ByteView;
using formats::ErrorCode;
using formats::TextFormat;
using testing::Hex;

// "Ab", index 300, no ID, 13 bytes of tone data: 36 bytes in ASCII, 40 in Unicode.
const Bytes kAsciiAb = Hex("00 00 01 2C 00 00 00 24 20 20 20 20 00 00 00 00"
                           "03 41 62 00"
                           "00 02 FC 09 0A 01 8B 34 0A FE 07 0B 00 FF FF FF");
const Bytes kUnicodeAb = Hex("00 00 01 2C 00 00 00 28 20 20 20 20 00 00 00 00"
                             "00"                   // purpose
                             "03 00 41 00 62 00 00" // name-length byte, "Ab", terminator
                             "00 02 FC 09 0A 01 8B 34 0A FE 07 0B 00 FF FF FF");

TEST(RecordConversion, ConvertsTheAbExampleBothWays) {
    EXPECT_BYTES_EQ(kUnicodeAb, *RecordToUnicode(kAsciiAb));
    EXPECT_BYTES_EQ(kAsciiAb, *RecordToAscii(kUnicodeAb));
}

TEST(RecordConversion, DropsThePurposeGoingToAscii) {
    Bytes purpose2 = kUnicodeAb;
    purpose2[16] = 2;
    const auto ascii = RecordToAscii(purpose2);
    ASSERT_TRUE(ascii);
    EXPECT_BYTES_EQ(Hex("00 00 00 03"), ByteView(*ascii).subspan(13, 4));
    EXPECT_BYTES_EQ(kAsciiAb, *ascii);
}

TEST(RecordConversion, ToneDataEndingInFFLosesItWithTheFill) {
    const Bytes tone = Hex("0A FE 07 0B FF FF");
    const Bytes ascii = testing::MakeRecord(TextFormat::Ascii, 1, "", "Ab", tone);
    const auto unicode = RecordToUnicode(ascii);
    ASSERT_TRUE(unicode);
    EXPECT_BYTES_EQ(testing::MakeRecord(TextFormat::Unicode, 1, "", "Ab", Hex("0A FE 07 0B")), *unicode);
}

TEST(RecordConversion, AsciiToUnicodeToAsciiIsIdentity) {
    std::mt19937 random(7);
    for (std::size_t length = 0; length <= 30; ++length) {
        for (int first = 1; first <= 255; ++first) {
            std::string name(length, ' ');
            for (std::size_t k = 0; k < length; ++k) {
                name[k] = static_cast<char>(1 + (static_cast<std::size_t>(first) - 1 + k * 37) % 255);
            }
            const Bytes ascii = testing::MakeRecord(TextFormat::Ascii, static_cast<std::uint32_t>(first), "ID", name,
                                                    testing::RandomToneData(random));
            const auto unicode = RecordToUnicode(ascii);
            ASSERT_TRUE(unicode);
            EXPECT_EQ(name, *formats::RecordDisplayName(*unicode, TextFormat::Unicode));
            const auto back = RecordToAscii(*unicode);
            ASSERT_TRUE(back);
            ASSERT_BYTES_EQ(ascii, *back) << "length " << length << ", first byte " << first;
        }
    }
}

TEST(RecordConversion, RefusesRecordsItCannotTakeApart) {
    Bytes nameZero = kAsciiAb;
    nameZero[16] = 0;
    Bytes unicodeNameZero = kUnicodeAb;
    unicodeNameZero[17] = 0;
    Bytes wide = kUnicodeAb;
    wide[18] = 0x01; // U+0141: both bytes in use
    const struct {
        Bytes record;
        bool toUnicode;
        ErrorCode code;
    } cases[] = {
        {nameZero, true, ErrorCode::DamagedData},
        {Bytes(kAsciiAb.begin(), kAsciiAb.begin() + 16), true, ErrorCode::DamagedData},
        {Bytes(kAsciiAb.begin(), kAsciiAb.begin() + 19), true, ErrorCode::DamagedData}, // no terminator
        {unicodeNameZero, false, ErrorCode::DamagedData},
        {Bytes(kUnicodeAb.begin(), kUnicodeAb.begin() + 17), false, ErrorCode::DamagedData},
        {Bytes(kUnicodeAb.begin(), kUnicodeAb.begin() + 22), false, ErrorCode::DamagedData},
        {wide, false, ErrorCode::BadInput},
    };
    for (const auto& c : cases) {
        const auto converted = c.toUnicode ? RecordToUnicode(c.record) : RecordToAscii(c.record);
        ASSERT_FALSE(converted) << testing::ToHex(c.record);
        EXPECT_EQ(c.code, converted.error().code);
    }
}

TEST(ReFile, IsValidWhenItsLengthFieldIsItsSize) {
    const struct {
        Bytes file;
        bool valid;
    } cases[] = {
        {kAsciiAb, true},
        {Hex("00 00 00 01 00 00 00 08"), true},
        {Hex("00 00 00 01 00 00 00"), false},                                                    // 7 bytes
        {Hex("00 00 00 01 00 00 00 14 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"), false}, // says 20, has 24
        {Hex("00 00 00 01 80 00 00 08"), false},
        {{}, false},
    };
    for (const auto& c : cases) {
        const auto valid = ValidateReFile(c.file);
        EXPECT_EQ(c.valid, valid.has_value()) << testing::ToHex(c.file);
        if (!c.valid) {
            EXPECT_EQ(kNotValidReFile, valid.error().message);
        }
    }
}

TEST(ReImport, ReplaceConvertsToTheBankFormatAndKeepsTheMelodysPlace) {
    ToneBank bank = MakeBank(3, TextFormat::Unicode);
    const auto shown = ReplaceFromRe(bank, 1, kAsciiAb);
    ASSERT_TRUE(shown);
    EXPECT_EQ(Selection{1}, *shown);
    // Index 11, ID "ID", purpose 2 of the old melody; the converted record's length 40.
    EXPECT_BYTES_EQ(Hex("00 00 00 0B 00 00 00 28 49 44 20 20 00 00 00 00 02"), ByteView(bank.Records[1]).first(17));
    EXPECT_BYTES_EQ(ByteView(kUnicodeAb).subspan(17), ByteView(bank.Records[1]).subspan(17));
    EXPECT_EQ("Ab", bank.Lines[1]);
}

TEST(ReImport, InsertKeepsTheFilesOwnHeader) {
    const struct {
        std::size_t count;
        Selection selected;
        std::size_t at;
    } cases[] = {{5, 2, 2}, {0, std::nullopt, 0}};
    for (const auto& c : cases) {
        ToneBank bank = MakeBank(c.count);
        const auto shown = InsertFromRe(bank, c.selected, kAsciiAb);
        ASSERT_TRUE(shown);
        EXPECT_EQ(Selection{c.at}, *shown);
        EXPECT_EQ(c.count + 1, bank.Count());
        EXPECT_BYTES_EQ(kAsciiAb, bank.Records[c.at]); // unchanged, index 300 and all
        EXPECT_EQ("Ab", bank.Lines[c.at]);
        if (c.count == 5) {
            EXPECT_EQ((std::vector<std::string>{"M0", "M1", "Ab", "M2", "M3", "M4"}), bank.Lines);
        }
    }
}

TEST(ReImport, ARejectedFileChangesNothing) {
    Bytes badName = kAsciiAb;
    badName[16] = 0x30; // name runs past the record
    Bytes unicodeFlagged = kAsciiAb;
    unicodeFlagged[16] = 0; // byte 16 of 0 reads as Unicode, whatever byte 17 holds
    for (const Bytes& file : {Bytes(7, 0), Bytes(kAsciiAb.begin(), kAsciiAb.end() - 4), badName, unicodeFlagged}) {
        for (const TextFormat format : {TextFormat::Ascii, TextFormat::Unicode}) {
            ToneBank bank = MakeBank(3, format);
            const ToneBank before = bank;
            EXPECT_FALSE(InsertFromRe(bank, 1, file));
            EXPECT_FALSE(ReplaceFromRe(bank, 1, file));
            EXPECT_EQ(before, bank);
        }
    }
    ToneBank full = MakeBank(300);
    const auto refused = InsertFromRe(full, 0, kAsciiAb);
    ASSERT_FALSE(refused);
    EXPECT_EQ(kBankFull, refused.error().message);
}

TEST(ReExport, WritesTheChosenFormat) {
    EXPECT_BYTES_EQ(kAsciiAb, *ExportRecord(kAsciiAb, TextFormat::Ascii, TextFormat::Ascii));
    EXPECT_BYTES_EQ(kUnicodeAb, *ExportRecord(kAsciiAb, TextFormat::Ascii, TextFormat::Unicode));
    EXPECT_BYTES_EQ(kAsciiAb, *ExportRecord(kUnicodeAb, TextFormat::Unicode, TextFormat::Ascii));
    EXPECT_BYTES_EQ(kUnicodeAb, *ExportRecord(kUnicodeAb, TextFormat::Unicode, TextFormat::Unicode));
}

TEST(ReExport, RefusesFilesTheImportWouldTakeForTheOtherFormat) {
    // A Unicode name beginning with a tab is fine in a Unicode bank, but its ASCII file would
    // read as Unicode; a long Unicode name with a purpose would read as ASCII.
    const Bytes tab = Melody(TextFormat::Unicode, 1, "\tTab", "", 2);
    const Bytes asciiTab = *RecordToAscii(tab);
    const Bytes longName = Melody(TextFormat::Unicode, 1, std::string(31, 'n'), "", 2);
    const struct {
        Bytes record;
        TextFormat bank;
        TextFormat chosen;
    } cases[] = {
        {tab, TextFormat::Unicode, TextFormat::Ascii},
        {asciiTab, TextFormat::Ascii, TextFormat::Ascii},
        {longName, TextFormat::Unicode, TextFormat::Unicode},
    };
    for (const auto& c : cases) {
        const auto exported = ExportRecord(c.record, c.bank, c.chosen);
        ASSERT_FALSE(exported);
        EXPECT_EQ(ErrorCode::BadInput, exported.error().code);
    }
    EXPECT_TRUE(ExportRecord(tab, TextFormat::Unicode, TextFormat::Unicode));
    EXPECT_TRUE(ExportRecord(Melody(TextFormat::Unicode, 1, std::string(31, 'n'), "", 0), TextFormat::Unicode,
                             TextFormat::Unicode));
}

} // namespace
} // namespace belltower::bank
