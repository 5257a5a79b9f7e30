#include "bank/list_operations.h"

#include <gtest/gtest.h>

#include "bank/re_exchange.h"
#include "bank/record_properties.h"
#include "formats/record.h"
#include "test_banks.h"

namespace belltower::bank {
namespace {

// The bank lists `lines`, each with its record whole: "Mi" MakeBank's melody i, any other `other`.
// Catches lines and records drifting apart and headers rewritten on the way.
void ExpectLines(const ToneBank& bank, const Lines& lines, const Bytes& other = {}) {
    EXPECT_EQ(lines, bank.Lines);
    ASSERT_EQ(lines.size(), bank.Records.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const bool made = lines[i][0] == 'M';
        const auto index = made ? static_cast<std::uint32_t>(10 + std::stoi(lines[i].substr(1))) : 0;
        EXPECT_BYTES_EQ(made ? Melody(bank.UnicodeNames, index, lines[i], "ID", 2) : other, bank.Records[i]) << i;
    }
}

TEST(MoveLines, MoveRecordsWithTheirLinesAndKeepTheirIndexes) {
    using Move = Selection (*)(ToneBank&, Selection);
    const Lines unmoved{"M0", "M1", "M2", "M3", "M4"};
    const struct {
        Move move;
        Selection selected;
        Selection expected;
        Lines lines;
    } cases[] = {
        {MoveUp, 2, 1, {"M0", "M2", "M1", "M3", "M4"}}, {MoveUp, 0, std::nullopt, unmoved},
        {MoveUp, std::nullopt, std::nullopt, unmoved},  {MoveDown, 3, 4, {"M0", "M1", "M2", "M4", "M3"}},
        {MoveDown, 4, std::nullopt, unmoved},           {MoveDown, 9, std::nullopt, unmoved},
    };
    for (const auto& c : cases) {
        ToneBank bank = MakeBank(5);
        EXPECT_EQ(c.expected, c.move(bank, c.selected));
        ExpectLines(bank, c.lines);
    }
}

TEST(Replace, KeepsIndexIdAndPurposeOfTheReplacedMelody) {
    ToneBank bank = MakeBank(3, TextFormat::Unicode);
    const Bytes tone = Hex("0A 0E 07 0B");
    EXPECT_EQ(Selection{1}, *Replace(bank, 1, testing::MakeRecord(TextFormat::Unicode, 1, "NEW", "Fresh tune", tone)));
    EXPECT_BYTES_EQ(testing::MakeRecord(TextFormat::Unicode, 11, "ID", "Fresh tune", tone, 2), bank.Records[1]);
    EXPECT_EQ("Fresh tune", bank.Lines[1]);

    const ToneBank replaced = bank;
    EXPECT_EQ(Selection{}, *Replace(bank, std::nullopt, Melody(TextFormat::Unicode, 1, "X")));
    EXPECT_EQ(replaced, bank);
}

TEST(ReplaceAndInsert, RefuseRecordsUnfitForTheBankAndChangeNothing) {
    const Bytes x = Melody(TextFormat::Ascii, 1, "X");
    // A name running to the end of the record, or not followed by a zero byte, has no
    // terminator: the format conversions could not take the record apart.
    Bytes runsToEnd = testing::MakeRecord(TextFormat::Ascii, 1, "", "nnn", {});
    runsToEnd.resize(20);
    formats::SetRecordLength(runsToEnd);
    const struct {
        TextFormat format;
        Bytes record;
        ErrorCode code;
    } cases[] = {
        {TextFormat::Ascii, {}, ErrorCode::DamagedData},
        {TextFormat::Ascii, Bytes(3, 0x11), ErrorCode::DamagedData},
        {TextFormat::Ascii, Patched(x, 7, "04"), ErrorCode::DamagedData},   // length field not the size
        {TextFormat::Ascii, Patched(x, 16, "00"), ErrorCode::DamagedData},  // name-length byte 0
        {TextFormat::Ascii, runsToEnd, ErrorCode::DamagedData},
        {TextFormat::Ascii, Patched(x, 18, "59"), ErrorCode::DamagedData},  // "XY" without terminator
        // The saved image's format is told from its first record: there, an ASCII name starting
        // with a byte 1..31 (a tab from a ringtone file) looks like a Unicode name-length byte.
        {TextFormat::Ascii, Melody(TextFormat::Ascii, 1, "\x01Tune"), ErrorCode::BadInput},
        {TextFormat::Ascii, Melody(TextFormat::Ascii, 1, "\tTune"), ErrorCode::BadInput},
        {TextFormat::Ascii, Melody(TextFormat::Ascii, 1, "\x1FTune"), ErrorCode::BadInput},
        // Names over 30 characters would hide a Unicode bank's format from the reader.
        {TextFormat::Unicode, Melody(TextFormat::Unicode, 1, std::string(31, 'n')), ErrorCode::BadInput},
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
    EXPECT_TRUE(Insert(ascii, std::nullopt, Melody(TextFormat::Ascii, 1, " \tTune")));
    ToneBank unicode = MakeBank(0, TextFormat::Unicode);
    EXPECT_TRUE(Insert(unicode, std::nullopt, Melody(TextFormat::Unicode, 1, "\tTune")));
    EXPECT_TRUE(Replace(unicode, 0, Melody(TextFormat::Unicode, 1, std::string(30, 'n'))));
}

TEST(Insert, PutsTheMelodyAboveTheCursorWithItsOwnHeader) {
    const Bytes fresh = Melody(TextFormat::Unicode, 77, "New", "NEW", 0);
    const struct {
        std::size_t count;
        Selection selected;
        Selection expected;
        Lines lines;
    } cases[] = {
        {0, std::nullopt, 0, {"New"}},
        {3, 0, 0, {"New", "M0", "M1", "M2"}},
        {3, 2, 2, {"M0", "M1", "New", "M2"}},
        {3, std::nullopt, std::nullopt, {"M0", "M1", "M2"}},
    };
    for (const auto& c : cases) {
        ToneBank bank = MakeBank(c.count, TextFormat::Unicode);
        EXPECT_EQ(c.expected, *Insert(bank, c.selected, fresh));
        ExpectLines(bank, c.lines, fresh);
    }
}

TEST(Insert, StopsAtThreeHundredMelodies) {
    ToneBank bank = MakeBank(299);
    ASSERT_TRUE(Insert(bank, 5, Melody(TextFormat::Ascii, 1, "Last")));
    const ToneBank full = bank;
    for (const auto& result : {InsertPosition(bank, 5), Insert(bank, 5, Melody(TextFormat::Ascii, 1, "More"))}) {
        ASSERT_FALSE(result);
        EXPECT_EQ(ErrorCode::Limit, result.error().code);
    }
    EXPECT_EQ(full, bank);
}

TEST(Delete, RemovesTheLineAndItsRecord) {
    const struct {
        Selection selected;
        bool deleted;
        Lines lines;
    } cases[] = {{0, true, {"M1", "M2"}}, {2, true, {"M0", "M1"}}, {std::nullopt, false, {"M0", "M1", "M2"}}};
    for (const auto& c : cases) {
        ToneBank bank = MakeBank(3);
        EXPECT_EQ(c.deleted, Delete(bank, c.selected));
        ExpectLines(bank, c.lines);
    }
}

// The format is told from the first record: a record that reads as the other format there
// (an ASCII name beginning with a control byte, a Unicode name over 30 characters with a
// purpose) never gets to the top.
TEST(ListChanges, NeverBringARecordOfTheOtherFormatToTheTop) {
    const struct {
        TextFormat format;
        ListChange change;
        Selection selected;
        bool refused;
    } cases[] = {
        {TextFormat::Ascii, ListChange::MoveUp, 1, true},      {TextFormat::Ascii, ListChange::MoveDown, 0, true},
        {TextFormat::Ascii, ListChange::Delete, 0, true},      {TextFormat::Ascii, ListChange::MoveUp, 2, false},
        {TextFormat::Ascii, ListChange::MoveDown, 1, false},   {TextFormat::Ascii, ListChange::Delete, 1, false},
        {TextFormat::Unicode, ListChange::MoveUp, 1, true},    {TextFormat::Unicode, ListChange::Delete, 0, true},
        {TextFormat::Unicode, ListChange::MoveDown, 1, false},
    };
    for (const auto& c : cases) {
        ToneBank bank = MakeBank(3, c.format);
        const std::string odd = c.format == TextFormat::Ascii ? "\x01Odd" : std::string(31, 'L');
        bank.Records[1] = Melody(c.format, 1, odd, "ID", 2);
        bank.Lines[1] = odd;
        const ToneBank before = bank;
        const auto checked = CheckListChange(bank, c.change, c.selected);
        ASSERT_EQ(c.refused, !checked) << static_cast<int>(c.change) << ' ' << *c.selected;
        const bool changed = c.change == ListChange::Delete   ? Delete(bank, c.selected)
                             : c.change == ListChange::MoveUp ? MoveUp(bank, c.selected).has_value()
                                                              : MoveDown(bank, c.selected).has_value();
        EXPECT_EQ(!c.refused, changed);
        if (c.refused) {
            EXPECT_EQ(ErrorCode::BadInput, checked.error().code);
            EXPECT_NE(std::string::npos, checked.error().message.find("\"" + odd + "\" cannot come first"));
            EXPECT_EQ(before, bank);
        }
    }
}

// A record whose name runs into its tone data without a terminator is damaged for every edit
// that takes it apart.
TEST(CheckNameTerminator, RefusesADamagedRecordWhereverItIsTakenApart) {
    for (const TextFormat format : {TextFormat::Ascii, TextFormat::Unicode}) {
        ToneBank bank = MakeBank(1, format);
        bank.Records[0][format == TextFormat::Ascii ? 19 : 22] = 0x41;
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
        EXPECT_BYTES_EQ(Melody(TextFormat::Ascii, i + 1, bank.Lines[i], "ID", 2), bank.Records[i]);
    }
}

}  // namespace
}  // namespace belltower::bank
