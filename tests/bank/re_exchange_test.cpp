#include "bank/re_exchange.h"

#include <gtest/gtest.h>

#include <random>

#include "bank/list_operations.h"
#include "formats/record.h"
#include "test_banks.h"

namespace belltower::bank {
namespace {

// "Ab", index 300, no ID, 13 bytes of tone data: 36 bytes in ASCII, 40 in Unicode.
const Bytes kAsciiAb = Hex("00 00 01 2C 00 00 00 24 20 20 20 20 00 00 00 00"
                           "03 41 62 00"
                           "00 02 FC 09 0A 01 8B 34 0A FE 07 0B 00 FF FF FF");
const Bytes kUnicodeAb = Hex("00 00 01 2C 00 00 00 28 20 20 20 20 00 00 00 00"
                             "00"                    // purpose
                             "03 00 41 00 62 00 00"  // name-length byte, "Ab", terminator
                             "00 02 FC 09 0A 01 8B 34 0A FE 07 0B 00 FF FF FF");

TEST(RecordConversion, ExportsTheRecordUnchangedOrConvertedToTheChosenFormat) {
    EXPECT_BYTES_EQ(kAsciiAb, *ExportRecord(kAsciiAb, TextFormat::Ascii, TextFormat::Ascii));
    EXPECT_BYTES_EQ(kUnicodeAb, *ExportRecord(kAsciiAb, TextFormat::Ascii, TextFormat::Unicode));
    EXPECT_BYTES_EQ(kAsciiAb, *ExportRecord(kUnicodeAb, TextFormat::Unicode, TextFormat::Ascii));
    EXPECT_BYTES_EQ(kUnicodeAb, *ExportRecord(kUnicodeAb, TextFormat::Unicode, TextFormat::Unicode));
    EXPECT_BYTES_EQ(kAsciiAb, *RecordToAscii(Patched(kUnicodeAb, 16, "02")));  // the purpose is dropped
    // Tone data ending in 0xFF loses it with the fill.
    EXPECT_BYTES_EQ(testing::MakeRecord(TextFormat::Unicode, 1, "", "Ab", Hex("0A FE 07 0B")),
                    *RecordToUnicode(testing::MakeRecord(TextFormat::Ascii, 1, "", "Ab", Hex("0A FE 07 0B FF FF"))));
}

TEST(RecordConversion, AsciiToUnicodeToAsciiIsIdentity) {
    std::mt19937 random(7);
    for (std::size_t length = 0; length <= 30; ++length) {
        for (std::size_t first = 1; first <= 255; ++first) {
            std::string name(length, ' ');
            for (std::size_t k = 0; k < length; ++k) {
                name[k] = static_cast<char>(1 + (first - 1 + k * 37) % 255);
            }
            const Bytes ascii = testing::MakeRecord(TextFormat::Ascii, static_cast<std::uint32_t>(first), "ID", name,
                                                    testing::RandomToneData(random));
            const auto unicode = RecordToUnicode(ascii);
            ASSERT_TRUE(unicode);
            EXPECT_EQ(name, *formats::RecordDisplayName(*unicode, TextFormat::Unicode));
            ASSERT_BYTES_EQ(ascii, *RecordToAscii(*unicode)) << "length " << length << ", first byte " << first;
        }
    }
}

TEST(RecordConversion, RefusesRecordsItCannotTakeApart) {
    const struct {
        Bytes record;
        bool toUnicode;
        ErrorCode code;
    } cases[] = {
        {Patched(kAsciiAb, 16, "00"), true, ErrorCode::DamagedData},  // name-length byte 0
        {Bytes(kAsciiAb.begin(), kAsciiAb.begin() + 16), true, ErrorCode::DamagedData},
        {Bytes(kAsciiAb.begin(), kAsciiAb.begin() + 19), true, ErrorCode::DamagedData},  // no terminator
        {Patched(kUnicodeAb, 17, "00"), false, ErrorCode::DamagedData},
        {Bytes(kUnicodeAb.begin(), kUnicodeAb.begin() + 17), false, ErrorCode::DamagedData},
        {Bytes(kUnicodeAb.begin(), kUnicodeAb.begin() + 22), false, ErrorCode::DamagedData},
        {Patched(kUnicodeAb, 18, "01"), false, ErrorCode::BadInput},  // U+0141: both bytes in use
    };
    for (const auto& c : cases) {
        const auto converted = c.toUnicode ? RecordToUnicode(c.record) : RecordToAscii(c.record);
        ASSERT_FALSE(converted) << testing::ToHex(c.record);
        EXPECT_EQ(c.code, converted.error().code);
    }
}

TEST(ReFile, IsValidWhenItsLengthFieldIsItsSize) {
    const std::pair<Bytes, bool> cases[] = {
        {kAsciiAb, true},
        {Hex("00 00 00 01 00 00 00 08"), true},
        {Hex("00 00 00 01 00 00 00"), false},                          // 7 bytes
        {Patched(Bytes(24, 0), 0, "00 00 00 01 00 00 00 14"), false},  // says 20, has 24
        {Hex("00 00 00 01 80 00 00 08"), false},
        {{}, false},
    };
    for (const auto& [file, valid] : cases) {
        EXPECT_EQ(valid, ValidateReFile(file).has_value()) << testing::ToHex(file);
    }
}

TEST(ReImport, ReplaceConvertsToTheBankFormatAndInsertKeepsTheFileAsItIs) {
    ToneBank bank = MakeBank(3, TextFormat::Unicode);
    EXPECT_EQ(Selection{1}, *ReplaceFromRe(bank, 1, kAsciiAb));
    // Index 11, ID "ID", purpose 2 of the old melody; the converted record's length 40.
    EXPECT_BYTES_EQ(Patched(kUnicodeAb, 0, "00 00 00 0B 00 00 00 28 49 44 20 20 00 00 00 00 02"), bank.Records[1]);
    EXPECT_EQ("Ab", bank.Lines[1]);

    bank = MakeBank(5);
    EXPECT_EQ(Selection{2}, *InsertFromRe(bank, 2, kAsciiAb));
    EXPECT_BYTES_EQ(kAsciiAb, bank.Records[2]);  // index 300 and all
    EXPECT_EQ((Lines{"M0", "M1", "Ab", "M2", "M3", "M4"}), bank.Lines);
}

TEST(ReImport, ARejectedFileChangesNothing) {
    const Bytes files[] = {
        Bytes(7, 0), Bytes(kAsciiAb.begin(), kAsciiAb.end() - 4),
        Patched(kAsciiAb, 16, "30"),  // the name runs past the record
        Patched(kAsciiAb, 16, "00"),  // byte 16 of 0 reads as Unicode, whatever byte 17 holds
    };
    for (const Bytes& file : files) {
        for (const TextFormat format : {TextFormat::Ascii, TextFormat::Unicode}) {
            ToneBank bank = MakeBank(3, format);
            EXPECT_FALSE(InsertFromRe(bank, 1, file));
            EXPECT_FALSE(ReplaceFromRe(bank, 1, file));
            EXPECT_EQ(MakeBank(3, format), bank);
        }
    }
    ToneBank full = MakeBank(300);
    const auto refused = InsertFromRe(full, 0, kAsciiAb);
    ASSERT_FALSE(refused);
    EXPECT_EQ(kBankFull, refused.error().message);
}

TEST(ReExport, RefusesFilesTheImportWouldTakeForTheOtherFormat) {
    // A Unicode name beginning with a tab is fine in a Unicode bank, but its ASCII file would
    // read as Unicode; a long Unicode name with a purpose would read as ASCII.
    const Bytes tab = Melody(TextFormat::Unicode, 1, "\tTab", "", 2);
    const Bytes longName = Melody(TextFormat::Unicode, 1, std::string(31, 'n'), "", 2);
    const struct {
        Bytes record;
        TextFormat bank;
        TextFormat chosen;
    } cases[] = {
        {tab, TextFormat::Unicode, TextFormat::Ascii},
        {*RecordToAscii(tab), TextFormat::Ascii, TextFormat::Ascii},
        {longName, TextFormat::Unicode, TextFormat::Unicode},
    };
    for (const auto& c : cases) {
        const auto exported = ExportRecord(c.record, c.bank, c.chosen);
        ASSERT_FALSE(exported);
        EXPECT_EQ(ErrorCode::BadInput, exported.error().code);
    }
    EXPECT_TRUE(ExportRecord(tab, TextFormat::Unicode, TextFormat::Unicode));
    EXPECT_TRUE(ExportRecord(Patched(longName, 16, "00"), TextFormat::Unicode, TextFormat::Unicode));
}

}  // namespace
}  // namespace belltower::bank
