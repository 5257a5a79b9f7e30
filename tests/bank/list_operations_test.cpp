#include "bank/list_operations.h"

#include <gtest/gtest.h>

#include "formats/record.h"
#include "test_banks.h"

namespace belltower::bank {
namespace {

using formats::Bytes;
using formats::ByteView;
using formats::ErrorCode;
using formats::TextFormat;

std::vector<std::int32_t> Indexes(const ToneBank& bank) {
    std::vector<std::int32_t> indexes;
    for (const auto& record : bank.Records) {
        indexes.push_back(*formats::RecordIndex(record));
    }
    return indexes;
}

// The bank's records named as its lines say, in order: catches lines and records drifting apart.
void ExpectInStep(const ToneBank& bank) {
    ASSERT_EQ(bank.Records.size(), bank.Lines.size());
    for (std::size_t i = 0; i < bank.Count(); ++i) {
        EXPECT_EQ(bank.Lines[i], *formats::RecordDisplayName(bank.Records[i], bank.UnicodeNames)) << i;
    }
}

TEST(MoveLines, MoveRecordsWithTheirLinesAndKeepTheirIndexes) {
    using Move = Selection (*)(ToneBank&, Selection);
    const struct {
        Move move;
        Selection selected;
        Selection expected;
        std::vector<std::string> lines;
    } cases[] = {
        {MoveUp, 2, 1, {"M0", "M2", "M1", "M3", "M4"}},
        {MoveUp, 0, std::nullopt, {"M0", "M1", "M2", "M3", "M4"}},
        {MoveUp, std::nullopt, std::nullopt, {"M0", "M1", "M2", "M3", "M4"}},
        {MoveDown, 3, 4, {"M0", "M1", "M2", "M4", "M3"}},
        {MoveDown, 4, std::nullopt, {"M0", "M1", "M2", "M3", "M4"}},
        {MoveDown, 9, std::nullopt, {"M0", "M1", "M2", "M3", "M4"}},
    };
    for (const auto& c : cases) {
        ToneBank bank = MakeBank(5);
        EXPECT_EQ(c.expected, c.move(bank, c.selected));
        EXPECT_EQ(c.lines, bank.Lines);
        ExpectInStep(bank);
        for (std::size_t i = 0; i < bank.Count(); ++i) {
            EXPECT_EQ(10 + std::stoi(bank.Lines[i].substr(1)), Indexes(bank)[i]);
        }
    }
}

TEST(Replace, KeepsIndexIdAndPurposeOfTheReplacedMelody) {
    ToneBank bank = MakeBank(3, TextFormat::Unicode);
    const Bytes encoded =
        testing::MakeRecord(TextFormat::Unicode, 1, "NEW", "Fresh tune", Bytes{0x0A, 0x0E, 0x07, 0x0B}, 0);
    const auto shown = Replace(bank, 1, encoded);
    ASSERT_TRUE(shown);
    EXPECT_EQ(Selection{1}, *shown);
    const Bytes& record = bank.Records[1];
    EXPECT_EQ(11, *formats::RecordIndex(record));
    EXPECT_EQ("ID  ", *formats::RecordId(record));
    EXPECT_EQ(2, record[16]);
    EXPECT_BYTES_EQ(ByteView(encoded).subspan(17), ByteView(record).subspan(17)); // name, tone data, length
    EXPECT_BYTES_EQ(ByteView(encoded).subspan(4, 4), ByteView(record).subspan(4, 4));
    EXPECT_EQ("Fresh tune", bank.Lines[1]);
    ExpectInStep(bank);
}

TEST(Replace, RefusesMissingOrBrokenRecordsAndChangesNothing) {
    Bytes wrongLength = Melody(TextFormat::Ascii, 1, "X");
    wrongLength[7] = 4;
    Bytes nameZero = Melody(TextFormat::Ascii, 1, "X");
    nameZero[16] = 0;
    // A name running to the end of the record, or not followed by a zero byte, has no
    // terminator: the format conversions could not take the record apart.
    Bytes noTerminator = testing::MakeRecord(TextFormat::Ascii, 1, "", std::string(3, 'n'), {});
    noTerminator.resize(20);
    noTerminator[16] = 4;
    formats::SetRecordLength(noTerminator);
    Bytes badTerminator = Melody(TextFormat::Ascii, 1, "X");
    badTerminator[18] = 'Y';
    for (const Bytes& record : {Bytes{}, wrongLength, nameZero, Bytes(3, 0x11), noTerminator, badTerminator}) {
        ToneBank bank = MakeBank(3);
        const ToneBank before = bank;
        const auto replaced = Replace(bank, 0, record);
        ASSERT_FALSE(replaced);
        EXPECT_EQ(ErrorCode::DamagedData, replaced.error().code);
        EXPECT_EQ(before, bank);
        const auto inserted = Insert(bank, 0, record);
        ASSERT_FALSE(inserted);
        EXPECT_EQ(before, bank); // no placeholder line is left behind
    }
    ToneBank bank = MakeBank(3);
    const ToneBank before = bank;
    EXPECT_EQ(Selection{}, *Replace(bank, std::nullopt, Melody(TextFormat::Ascii, 1, "X")));
    EXPECT_EQ(before, bank);

    // Names over 30 characters would hide a Unicode bank's format from the reader.
    ToneBank unicode = MakeBank(1, TextFormat::Unicode);
    EXPECT_TRUE(Replace(unicode, 0, Melody(TextFormat::Unicode, 1, std::string(30, 'n'))));
    const auto refused = Replace(unicode, 0, Melody(TextFormat::Unicode, 1, std::string(31, 'n')));
    ASSERT_FALSE(refused);
    EXPECT_EQ(ErrorCode::BadInput, refused.error().code);
}

TEST(Insert, RefusesAsciiNamesThatWouldMakeTheBankReadAsUnicode) {
    // The saved image's format is told from its first record: there, an ASCII name starting with
    // a byte 1..31 (a tab from a ringtone file) looks like a Unicode name-length byte.
    for (const char first : {'\x01', '\t', '\x1F'}) {
        const Bytes record = Melody(TextFormat::Ascii, 1, std::string(1, first) + "Tune");
        ToneBank bank = MakeBank(0);
        const auto inserted = Insert(bank, std::nullopt, record);
        ASSERT_FALSE(inserted);
        EXPECT_EQ(ErrorCode::BadInput, inserted.error().code);
        EXPECT_EQ(kControlCharacterFirst, inserted.error().message);
        EXPECT_EQ(0u, bank.Count());
        bank = MakeBank(2);
        EXPECT_FALSE(Replace(bank, 1, record));
        EXPECT_EQ(MakeBank(2), bank);
    }
    // A blank or a later control character is fine, and so is any name in a Unicode bank.
    ToneBank ascii = MakeBank(0);
    EXPECT_TRUE(Insert(ascii, std::nullopt, Melody(TextFormat::Ascii, 1, " \tTune")));
    ToneBank unicode = MakeBank(0, TextFormat::Unicode);
    EXPECT_TRUE(Insert(unicode, std::nullopt, Melody(TextFormat::Unicode, 1, "\tTune")));
}

TEST(Insert, PutsTheMelodyAboveTheCursorWithItsOwnHeader) {
    const struct {
        std::size_t count;
        Selection selected;
        Selection expected;
        std::vector<std::string> lines;
    } cases[] = {
        {0, std::nullopt, 0, {"New"}},
        {3, 0, 0, {"New", "M0", "M1", "M2"}},
        {3, 2, 2, {"M0", "M1", "New", "M2"}},
        {3, std::nullopt, std::nullopt, {"M0", "M1", "M2"}},
    };
    for (const auto& c : cases) {
        ToneBank bank = MakeBank(c.count, TextFormat::Unicode);
        const auto inserted = Insert(bank, c.selected, Melody(TextFormat::Unicode, 77, "New", "NEW", 0));
        ASSERT_TRUE(inserted);
        EXPECT_EQ(c.expected, *inserted);
        EXPECT_EQ(c.lines, bank.Lines);
        ExpectInStep(bank);
        if (c.expected) {
            const Bytes& record = bank.Records[**inserted];
            EXPECT_EQ(77, *formats::RecordIndex(record));
            EXPECT_EQ("NEW ", *formats::RecordId(record));
            EXPECT_EQ(0, record[16]);
        }
    }
}

TEST(Insert, StopsAtThreeHundredMelodies) {
    ToneBank bank = MakeBank(299);
    ASSERT_TRUE(Insert(bank, 5, Melody(TextFormat::Ascii, 1, "Last")));
    EXPECT_EQ(300u, bank.Count());
    const ToneBank full = bank;
    for (const auto& result : {InsertPosition(bank, 5), Insert(bank, 5, Melody(TextFormat::Ascii, 1, "More"))}) {
        ASSERT_FALSE(result);
        EXPECT_EQ(ErrorCode::Limit, result.error().code);
        EXPECT_EQ(kBankFull, result.error().message);
    }
    EXPECT_EQ(full, bank);
}

TEST(Delete, RemovesTheLineAndItsRecord) {
    const struct {
        Selection selected;
        bool deleted;
        std::vector<std::string> lines;
    } cases[] = {
        {0, true, {"M1", "M2"}},
        {2, true, {"M0", "M1"}},
        {std::nullopt, false, {"M0", "M1", "M2"}},
    };
    for (const auto& c : cases) {
        ToneBank bank = MakeBank(3);
        EXPECT_EQ(c.deleted, Delete(bank, c.selected));
        EXPECT_EQ(c.lines, bank.Lines);
        EXPECT_EQ(std::to_string(c.lines.size()), CountText(bank));
        ExpectInStep(bank);
    }
}

TEST(Reindex, NumbersTheMelodiesInListOrder) {
    ToneBank bank = MakeBank(3);
    bank.Records[0][3] = 7;
    bank.Records[1][3] = 3;
    bank.Records[2][3] = 3;
    Reindex(bank);
    EXPECT_EQ((std::vector<std::int32_t>{1, 2, 3}), Indexes(bank));
    EXPECT_EQ((std::vector<std::string>{"M0", "M1", "M2"}), bank.Lines);
}

} // namespace
} // namespace belltower::bank
