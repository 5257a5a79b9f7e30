#include "bank/list_operations.h"

#include <gtest/gtest.h>

#include "bank/re_exchange.h"
#include "bank/record_properties.h"
#include "formats/record.h"
#include "test_banks.h"

namespace belltower::bank {
namespace {

enum class Edit { Up, Down, Delete, Insert };

// The format is told from the first record: a record that reads as the other format there (an
// ASCII name beginning with a control byte, a Unicode name over 30 characters) never gets to
// the top. Rows with `odd` have such a melody on line 1.
TEST(ListEdits, MoveInsertAndDeleteRecordsWithTheirLines) {
    const struct {
        Edit edit;
        Selection selected;
        Selection expected;
        std::string_view order;  // the lines afterwards: melody i of the bank before, or 'N' the new one
        TextFormat format = kAscii;
        std::size_t count = 3;
        bool odd = false;
        bool refused = false;
    } cases[] = {
        {Edit::Up, 2, 1, "021"},
        {Edit::Up, 0, {}, "012"},
        {Edit::Up, {}, {}, "012"},
        {Edit::Down, 1, 2, "021"},
        {Edit::Down, 2, {}, "012"},
        {Edit::Down, 9, {}, "012"},
        {Edit::Delete, 0, 0, "12"},
        {Edit::Delete, 2, 2, "01"},
        {Edit::Delete, {}, {}, "012"},
        {Edit::Insert, {}, 0, "N", kUnicode, 0},
        {Edit::Insert, 0, 0, "N012", kUnicode},
        {Edit::Insert, 2, 2, "01N2", kUnicode},
        {Edit::Insert, {}, {}, "012", kUnicode},
        {Edit::Up, 1, {}, "012", kAscii, 3, true, true},
        {Edit::Down, 0, {}, "012", kAscii, 3, true, true},
        {Edit::Delete, 0, {}, "012", kAscii, 3, true, true},
        {Edit::Up, 2, 1, "021", kAscii, 3, true},
        {Edit::Down, 1, 2, "021", kAscii, 3, true},
        {Edit::Delete, 1, 1, "02", kAscii, 3, true},
        {Edit::Up, 1, {}, "012", kUnicode, 3, true, true},
        {Edit::Delete, 0, {}, "012", kUnicode, 3, true, true},
        {Edit::Down, 1, 2, "021", kUnicode, 3, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::tuple(static_cast<int>(c.edit), c.selected, c.order)));
        ToneBank bank = MakeBank(c.count, c.format);
        const std::string odd = c.format == kAscii ? "\x01Odd" : std::string(31, 'L');
        if (c.odd) {
            bank.Records[1] = Melody(c.format, 1, odd, "ID", 2);
            bank.Lines[1] = odd;
        }
        const ToneBank before = bank;
        const Bytes fresh = Melody(c.format, 77, "New", "NEW", 0);
        if (c.edit != Edit::Insert) {
            const auto checked = CheckListChange(bank, static_cast<ListChange>(c.edit), c.selected);
            ASSERT_EQ(c.refused, !checked);
            if (c.refused) {
                EXPECT_EQ(ErrorCode::BadInput, checked.error().code);
                EXPECT_NE(std::string::npos, checked.error().message.find("\"" + odd + "\" cannot come first"));
            }
        }
        const Selection result = c.edit == Edit::Up         ? MoveUp(bank, c.selected)
                                 : c.edit == Edit::Down     ? MoveDown(bank, c.selected)
                                 : c.edit == Edit::Insert   ? *Insert(bank, c.selected, fresh)
                                 : Delete(bank, c.selected) ? c.selected
                                                            : std::nullopt;
        EXPECT_EQ(c.expected, result);
        ToneBank expected;
        for (const char line : c.order) {
            const std::size_t i = line == 'N' ? 0 : static_cast<std::size_t>(line - '0');
            expected.Records.push_back(line == 'N' ? fresh : before.Records[i]);
            expected.Lines.push_back(line == 'N' ? "New" : before.Lines[i]);
        }
        EXPECT_EQ(expected.Lines, bank.Lines);
        EXPECT_EQ(expected.Records, bank.Records);
    }
}

TEST(Replace, KeepsIndexIdAndPurposeOfTheReplacedMelody) {
    ToneBank bank = MakeBank(3, kUnicode);
    const Bytes tone = Hex("0A 0E 07 0B");
    EXPECT_EQ(Selection{1}, *Replace(bank, 1, testing::MakeRecord(kUnicode, 1, "NEW", "Fresh tune", tone)));
    EXPECT_BYTES_EQ(testing::MakeRecord(kUnicode, 11, "ID", "Fresh tune", tone, 2), bank.Records[1]);
    EXPECT_EQ("Fresh tune", bank.Lines[1]);
    const ToneBank replaced = bank;
    EXPECT_EQ(Selection{}, *Replace(bank, std::nullopt, Melody(kUnicode, 1, "X")));
    EXPECT_EQ(replaced, bank);
}

TEST(ReplaceAndInsert, RefuseRecordsUnfitForTheBankAndChangeNothing) {
    const Bytes x = Melody(kAscii, 1, "X");
    // A name running to the end of the record, or not followed by a zero byte, has no
    // terminator: the format conversions could not take the record apart.
    Bytes runsToEnd = testing::MakeRecord(kAscii, 1, "", "nnn", {});
    runsToEnd.resize(20);
    formats::SetRecordLength(runsToEnd);
    const struct {
        TextFormat format;
        Bytes record;
        ErrorCode code = ErrorCode::DamagedData;
    } cases[] = {
        {kAscii, {}},
        {kAscii, Bytes(3, 0x11)},
        {kAscii, Patched(x, 7, "04")},   // length field not the size
        {kAscii, Patched(x, 16, "00")},  // name-length byte 0
        {kAscii, runsToEnd},
        {kAscii, Patched(x, 18, "59")},  // "XY" without terminator
        // The saved image's format is told from its first record: there, an ASCII name starting
        // with a byte 1..31 (a tab from a ringtone file) looks like a Unicode name-length byte.
        {kAscii, Melody(kAscii, 1, "\x01Tune"), ErrorCode::BadInput},
        {kAscii, Melody(kAscii, 1, "\tTune"), ErrorCode::BadInput},
        {kAscii, Melody(kAscii, 1, "\x1FTune"), ErrorCode::BadInput},
        // Names over 30 characters would hide a Unicode bank's format from the reader.
        {kUnicode, Melody(kUnicode, 1, std::string(31, 'n')), ErrorCode::BadInput},
    };
    for (const auto& c : cases) {
        ToneBank bank = MakeBank(3, c.format);
        const auto replaced = Replace(bank, 0, c.record);
        ASSERT_FALSE(replaced) << testing::ToHex(c.record);
        EXPECT_EQ(c.code, replaced.error().code);
        EXPECT_FALSE(Insert(bank, 0, c.record));
        EXPECT_EQ(MakeBank(3, c.format), bank);  // no placeholder line is left behind
    }
    // A blank or a later control character is fine, and so is any name of 30 characters in Unicode.
    ToneBank ascii = MakeBank(0);
    EXPECT_TRUE(Insert(ascii, std::nullopt, Melody(kAscii, 1, " \tTune")));
    ToneBank unicode = MakeBank(0, kUnicode);
    EXPECT_TRUE(Insert(unicode, std::nullopt, Melody(kUnicode, 1, "\tTune")));
    EXPECT_TRUE(Replace(unicode, 0, Melody(kUnicode, 1, std::string(30, 'n'))));
}

TEST(Insert, StopsAtThreeHundredMelodies) {
    ToneBank bank = MakeBank(299);
    ASSERT_TRUE(Insert(bank, 5, Melody(kAscii, 1, "Last")));
    const ToneBank full = bank;
    for (const auto& result : {InsertPosition(bank, 5), Insert(bank, 5, Melody(kAscii, 1, "More"))}) {
        ASSERT_FALSE(result);
        EXPECT_EQ(ErrorCode::Limit, result.error().code);
    }
    EXPECT_EQ(full, bank);
}

// A record whose name runs into its tone data without a terminator is damaged for every edit
// that takes it apart.
TEST(CheckNameTerminator, RefusesADamagedRecordWhereverItIsTakenApart) {
    for (const TextFormat format : {kAscii, kUnicode}) {
        ToneBank bank = MakeBank(1, format);
        bank.Records[0][format == kAscii ? 19 : 22] = 0x41;
        EXPECT_EQ(kNoNameTerminator, CheckNameTerminator(bank.Records[0], format).error().message);
        EXPECT_EQ(kNoNameTerminator, ApplyRecordEdits(bank, 0, {"M0", "ID", "1", "0"}).error().message);
        EXPECT_EQ(kNoNameTerminator, ExportRecord(bank.Records[0], format, format).error().message);
        EXPECT_TRUE(CheckNameTerminator(MakeBank(1, format).Records[0], format));
    }
}

TEST(Reindex, NumbersTheMelodiesInListOrder) {
    ToneBank bank = MakeBank(3);
    bank.Records[0][3] = 7;
    bank.Records[1][3] = bank.Records[2][3] = 3;
    Reindex(bank);
    for (std::uint32_t i = 0; i < 3; ++i) {
        EXPECT_BYTES_EQ(Melody(kAscii, i + 1, bank.Lines[i], "ID", 2), bank.Records[i]);
    }
}

}  // namespace
}  // namespace belltower::bank
