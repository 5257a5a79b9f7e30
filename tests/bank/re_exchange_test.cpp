// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/re_exchange.h"

#include <gtest/gtest.h>

#include <random>

#include "bank/list_operations.h"
#include "formats/record.h"
#include "test_banks.h"

namespace belltower::bank {
namespace {

// "Ab", index 300, no ID, the 13 bytes of kTone: 36 bytes in ASCII, 40 in Unicode.
const Bytes kAsciiAb = Melody(kAscii, 300, "Ab");
const Bytes kUnicodeAb = Melody(kUnicode, 300, "Ab");

TEST(ExportRecord, WritesTheChosenFormatUnlessTheImportWouldMisreadTheFile) {
    // A Unicode name beginning with a tab is fine in a Unicode bank, but its ASCII file would
    // read as Unicode; a long Unicode name with a purpose would read as ASCII.
    const Bytes tab = Melody(kUnicode, 1, "\tTab", "", 2);
    const Bytes longName = Melody(kUnicode, 1, std::string(31, 'n'), "", 2);
    const struct {
        Bytes record;
        TextFormat bank;
        TextFormat chosen;
        std::optional<Bytes> file;  // nothing: refused as BadInput
    } cases[] = {
        {kAsciiAb, kAscii, kAscii, kAsciiAb},
        {kAsciiAb, kAscii, kUnicode, kUnicodeAb},
        {kUnicodeAb, kUnicode, kAscii, kAsciiAb},
        {kUnicodeAb, kUnicode, kUnicode, kUnicodeAb},
        {Patched(kUnicodeAb, 16, "02"), kUnicode, kAscii, kAsciiAb},  // the purpose is dropped
        // Tone data ending in 0xFF loses it with the fill.
        {testing::MakeRecord(kAscii, 1, "", "Ab", Hex("0A FE 07 0B FF FF")), kAscii, kUnicode,
         testing::MakeRecord(kUnicode, 1, "", "Ab", Hex("0A FE 07 0B"))},
        {tab, kUnicode, kUnicode, tab},
        {tab, kUnicode, kAscii, {}},
        {*RecordToAscii(tab), kAscii, kAscii, {}},
        {longName, kUnicode, kUnicode, {}},
        {Patched(longName, 16, "00"), kUnicode, kUnicode, Patched(longName, 16, "00")},
    };
    for (const auto& c : cases) {
        const auto exported = ExportRecord(c.record, c.bank, c.chosen);
        ASSERT_EQ(c.file.has_value(), exported.has_value()) << testing::ToHex(c.record);
        if (c.file) {
            EXPECT_BYTES_EQ(*c.file, *exported);
        } else {
            EXPECT_EQ(ErrorCode::BadInput, exported.error().code);
        }
    }
}

// Any name of 0..30 characters, whatever its first byte, and any tone data.
TEST(RecordConversion, AsciiToUnicodeToAsciiIsIdentity) {
    std::mt19937 random(7);
    for (std::uint32_t n = 0; n < 2000; ++n) {
        const std::string name = testing::RandomName(random, kUnicode);
        const Bytes ascii = testing::MakeRecord(kAscii, n, "ID", name, testing::RandomToneData(random));
        const auto unicode = RecordToUnicode(ascii);
        EXPECT_EQ(name, *formats::RecordDisplayName(*unicode, kUnicode));
        ASSERT_BYTES_EQ(ascii, *RecordToAscii(*unicode)) << n;
    }
}

// Records cut to `size` bytes (0: whole) or patched: a name-length byte of 0, no terminator, U+0141 (not ASCII).
TEST(RecordConversion, RefusesRecordsItCannotTakeApart) {
    const struct {
        bool toUnicode;
        std::size_t size;
        std::size_t at;
        const char* patch;
        const char* message;  // a part of it; a damaged record unless the name cannot be converted
    } cases[] = {
        {true, 0, 16, "00", "byte of 0"},
        {true, 16, 0, "", "header needs 17"},
        {true, 17, 0, "", "before the terminator"},
        {true, 19, 0, "", "before the terminator"},
        {false, 0, 17, "00", "byte of 0"},
        {false, 17, 0, "", "header needs 18"},
        {false, 18, 0, "", "before the terminator"},
        {false, 22, 0, "", "before the terminator"},
        {false, 0, 18, "01", "cannot hold"},
    };
    for (const auto& c : cases) {
        Bytes record = Patched(c.toUnicode ? kAsciiAb : kUnicodeAb, c.at, c.patch);
        record.resize(c.size == 0 ? record.size() : c.size);
        const auto converted = c.toUnicode ? RecordToUnicode(record) : RecordToAscii(record);
        ASSERT_FALSE(converted) << testing::ToHex(record);
        EXPECT_NE(converted.error().message.find(c.message), std::string::npos) << converted.error().message;
        EXPECT_EQ(std::string(c.message) == "cannot hold", converted.error().code == ErrorCode::BadInput);
    }
    // Cut right after the name's terminator, a record still converts.
    EXPECT_TRUE(RecordToUnicode(Bytes(kAsciiAb.begin(), kAsciiAb.begin() + 20)));
    EXPECT_TRUE(RecordToAscii(Bytes(kUnicodeAb.begin(), kUnicodeAb.begin() + 23)));
}

TEST(ReImport, ReplaceConvertsToTheBankFormatAndInsertKeepsTheFileAsItIs) {
    ToneBank bank = MakeBank(3, kUnicode);
    EXPECT_EQ(Selection{1}, *ReplaceFromRe(bank, 1, kAsciiAb));
    // Index 11, ID "ID", purpose 2 of the old melody; the converted record's length 40.
    EXPECT_BYTES_EQ(Patched(kUnicodeAb, 0, "00 00 00 0B 00 00 00 28 49 44 20 20 00 00 00 00 02"), bank.Records[1]);
    EXPECT_EQ("Ab", bank.Lines[1]);
    bank = MakeBank(3);
    EXPECT_EQ(Selection{2}, *InsertFromRe(bank, 2, kAsciiAb));
    EXPECT_BYTES_EQ(kAsciiAb, bank.Records[2]);  // index 300 and all
    EXPECT_EQ((Lines{"M0", "M1", "Ab", "M2"}), bank.Lines);
}

TEST(ReImport, ARejectedFileChangesNothing) {
    const Bytes files[] = {
        Bytes(7, 0), Bytes(kAsciiAb.begin(), kAsciiAb.end() - 4),  // shorter than its length field says
        Patched(kAsciiAb, 16, "30"),                               // the name runs past the record
        Patched(kAsciiAb, 16, "00"),  // byte 16 of 0 reads as Unicode, whatever byte 17 holds
    };
    for (const Bytes& file : files) {
        for (const TextFormat format : {kAscii, kUnicode}) {
            ToneBank bank = MakeBank(3, format);
            EXPECT_FALSE(InsertFromRe(bank, 1, file));
            EXPECT_FALSE(ReplaceFromRe(bank, 1, file));
            EXPECT_EQ(MakeBank(3, format), bank);
        }
    }
    EXPECT_TRUE(ValidateReFile(Hex("00 00 00 01 00 00 00 08")));  // the shortest RE file: a length field
    ToneBank full = MakeBank(300);
    EXPECT_EQ(kBankFull, InsertFromRe(full, 0, kAsciiAb).error().message);
}

}  // namespace
}  // namespace belltower::bank
