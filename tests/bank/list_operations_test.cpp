// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/list_operations.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "bank/bank_history.h"
#include "bank/re_exchange.h"
#include "bank/record_properties.h"
#include "formats/record.h"
#include "test_banks.h"

namespace belltower::bank {
namespace {

enum Edit { kUp, kDown, kDelete, kInsert };  // kUp..kDelete in the order of ListChange

// Lines move, go and come with their records. The format is told from the first record: a record that reads as the
// other format there (an ASCII name beginning with a control byte, a Unicode name over 30 characters) never gets to
// the top. Rows with `odd` have such a melody on line 1; their edits that give nothing are refused.
TEST(ListEdits, MoveInsertAndDeleteRecordsWithTheirLines) {
    const struct {
        Edit edit;
        TextFormat format;
        bool odd;
        Selection selected;
        Selection expected;
        std::string_view order;  // the lines afterwards: line i of the bank before, or 'N' the new one
    } cases[] = {
        {kUp, kAscii, false, 2, 1, "021"},        {kUp, kAscii, false, 0, {}, "012"},
        {kUp, kAscii, false, {}, {}, "012"},      {kDown, kAscii, false, 1, 2, "021"},
        {kDown, kAscii, false, 2, {}, "012"},     {kDown, kAscii, false, 9, {}, "012"},
        {kDelete, kAscii, false, 0, 0, "12"},     {kDelete, kAscii, false, 2, 2, "01"},
        {kDelete, kAscii, false, {}, {}, "012"},  {kInsert, kUnicode, false, 0, 0, "N012"},
        {kInsert, kUnicode, false, 2, 2, "01N2"}, {kInsert, kUnicode, false, {}, {}, "012"},
        {kUp, kAscii, true, 1, {}, "012"},        {kDown, kAscii, true, 0, {}, "012"},
        {kDelete, kAscii, true, 0, {}, "012"},    {kUp, kAscii, true, 2, 1, "021"},
        {kDown, kAscii, true, 1, 2, "021"},       {kDelete, kAscii, true, 1, 1, "02"},
        {kUp, kUnicode, true, 1, {}, "012"},      {kDelete, kUnicode, true, 0, {}, "012"},
        {kDown, kUnicode, true, 1, 2, "021"},     {kUp, kAscii, false, 3, {}, "012"},
        {kDelete, kAscii, false, 3, {}, "012"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::tuple(static_cast<int>(c.edit), c.odd, c.selected, c.order)));
        ToneBank bank = MakeBank(3, c.format);
        const std::string odd = c.format == kAscii ? "\x01Odd" : std::string(31, 'L');
        if (c.odd) {
            bank.Records[1] = Melody(c.format, 1, odd, "ID", 2);
            bank.Lines[1] = odd;
        }
        const ToneBank before = bank;
        const Bytes fresh = Melody(c.format, 77, "New", "NEW", 0);
        const bool refused = c.odd && !c.expected;
        if (c.edit != kInsert) {
            const auto checked = CheckListChange(bank, static_cast<ListChange>(c.edit), c.selected);
            ASSERT_EQ(refused, !checked);
            if (refused) {
                EXPECT_EQ(ErrorCode::BadInput, checked.error().code);
                EXPECT_NE(std::string::npos, checked.error().message.find("\"" + odd + "\" cannot come first"));
            }
        }
        const Selection result = c.edit == kUp              ? MoveUp(bank, c.selected)
                                 : c.edit == kDown          ? MoveDown(bank, c.selected)
                                 : c.edit == kInsert        ? *Insert(bank, c.selected, fresh)
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
    // The only melody can go: no line comes first afterwards to be checked.
    ToneBank one = MakeBank(1, kAscii);
    EXPECT_TRUE(Delete(one, 0));
    EXPECT_TRUE(one.Records.empty() && one.Lines.empty());
}

TEST(Replace, KeepsIndexIdAndPurposeOfTheReplacedMelody) {
    // The fields carried over end with the ID (byte 11) in ASCII, the purpose (byte 16) in Unicode.
    for (const auto& [format, needed] : {std::pair{kAscii, std::size_t{12}}, std::pair{kUnicode, std::size_t{17}}}) {
        Bytes to(needed, 0);
        Bytes shortTo(needed - 1, 0);
        EXPECT_NO_THROW(CarryHeaderFields(Bytes(needed, 1), to, format));
        EXPECT_THROW(CarryHeaderFields(Bytes(needed - 1, 1), to, format), std::invalid_argument);
        EXPECT_THROW(CarryHeaderFields(Bytes(needed, 1), shortTo, format), std::invalid_argument);
    }
    const Bytes tone = Hex("0A 0E 07 0B");
    for (const TextFormat format : {kAscii, kUnicode}) {
        ToneBank bank = MakeBank(3, format);
        EXPECT_EQ(Selection{1}, *Replace(bank, 1, testing::MakeRecord(format, 1, "NEW", "Fresh tune", tone)));
        EXPECT_BYTES_EQ(testing::MakeRecord(format, 11, "ID", "Fresh tune", tone, 2), bank.Records[1]);
        EXPECT_EQ("Fresh tune", bank.Lines[1]);
        const ToneBank replaced = bank;
        EXPECT_EQ(Selection{}, *Replace(bank, std::nullopt, Melody(format, 1, "X")));
        EXPECT_EQ(replaced, bank);
    }
}

// A record goes into the bank only whole: its length field its size, and its name followed by a terminator (the
// format conversions take the record apart there). The saved image's format is told from its first record: there, an
// ASCII name starting with a byte 1..31 (a tab from a ringtone file) looks like a Unicode name-length byte, and a
// Unicode name over 30 characters like ASCII. A refused record changes nothing; one that fits opens an empty bank.
TEST(ReplaceAndInsert, TakeOnlyRecordsFitForTheBank) {
    const Bytes x = Melody(kAscii, 1, "X");
    Bytes unended = testing::MakeRecord(kAscii, 1, "", "nnn", {});
    unended.resize(20);
    formats::SetRecordLength(unended);
    const auto damaged = std::optional(ErrorCode::DamagedData);
    const auto bad = std::optional(ErrorCode::BadInput);
    const struct {
        TextFormat format;
        std::vector<Bytes> records;
        std::optional<ErrorCode> refused;
    } cases[] = {
        {kAscii, {{}, Bytes(3, 0x11), unended}, damaged},
        {kAscii, {Patched(x, 7, "04"), Patched(x, 16, "00"), Patched(x, 18, "59")}, damaged},
        {kAscii, {Melody(kAscii, 1, "\x01Tune"), Melody(kAscii, 1, "\tTune"), Melody(kAscii, 1, "\x1FTune")}, bad},
        {kAscii, {Melody(kAscii, 1, " \tTune")}, {}},
        {kUnicode, {Melody(kUnicode, 1, std::string(31, 'n'))}, bad},
        {kUnicode, {Melody(kUnicode, 1, std::string(30, 'n')), Melody(kUnicode, 1, "\tTune")}, {}},
    };
    for (const auto& c : cases) {
        for (const Bytes& record : c.records) {
            SCOPED_TRACE(testing::ToHex(record));
            ToneBank bank = MakeBank(3, c.format);
            const auto replaced = Replace(bank, 0, record);
            ASSERT_EQ(c.refused.has_value(), !replaced);
            if (c.refused) {
                EXPECT_EQ(*c.refused, replaced.error().code);
                EXPECT_FALSE(Insert(bank, 0, record));
                EXPECT_EQ(MakeBank(3, c.format), bank);  // no placeholder line is left behind
            } else {
                ToneBank empty = MakeBank(0, c.format);
                EXPECT_EQ(Selection{0}, *Insert(empty, std::nullopt, record));
                EXPECT_EQ(std::vector<Bytes>{record}, empty.Records);
            }
        }
    }
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

// A record whose name runs into its tone data without a terminator is damaged for every edit that takes it apart.
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

// Each change adds a melody named after it at the end of the list and selects it ("renumber" changes a record but no
// line); undo and redo bring back the lines and the selection of the state they return to. Also: the names of the
// steps, what a new change does to redo, the limit of two steps, and when the bank counts as clean (saved) again.
TEST(BankHistory, UndoRedoNamesLimitAndCleanState) {
    ToneBank bank = MakeBank(1);
    BankHistory history(2);
    EXPECT_FALSE(history.Add("nothing", CaptureState(bank, 0), bank, 0));
    EXPECT_TRUE(history.IsClean() && !history.UndoName());
    const auto name = [](const char* text) { return *text ? std::optional<std::string>(text) : std::nullopt; };
    const struct {
        const char* action;  // a name: a new change; "undo", "redo", "save"
        const char* undoName;
        const char* redoName;
        bool clean;
        Lines lines;
    } steps[] = {
        {"one", "one", "", false, {"M0", "one"}},
        {"save", "one", "", true, {"M0", "one"}},
        {"undo", "", "one", false, {"M0"}},
        {"redo", "one", "", true, {"M0", "one"}},
        {"two", "two", "", false, {"M0", "one", "two"}},
        {"renumber", "renumber", "", false, {"M0", "one", "two"}},
        {"undo", "two", "renumber", false, {"M0", "one", "two"}},
        {"undo", "", "two", true, {"M0", "one"}},  // saved after "one", which fell off the limit
        {"four", "four", "", false, {"M0", "one", "four"}},
        {"save", "four", "", true, {"M0", "one", "four"}},
        {"undo", "", "four", false, {"M0", "one"}},
        {"five", "five", "", false, {"M0", "one", "five"}},  // the saved state can no longer come back
        {"undo", "", "five", false, {"M0", "one"}},
    };
    for (const auto& step : steps) {
        const std::string action = step.action;
        const Selection last = bank.Count() - 1;
        if (action == "undo" || action == "redo") {
            const auto selected = action == "undo" ? history.Undo(bank) : history.Redo(bank);
            EXPECT_EQ(Selection(step.lines.size() - 1), selected.value()) << action;
        } else if (action == "save") {
            history.MarkClean();
        } else {
            BankState before = CaptureState(bank, last);
            if (action == "renumber") {
                ++bank.Records[0][3];
            } else {
                bank.Records.push_back(Melody(kAscii, 1, action));
                bank.Lines.push_back(action);
            }
            EXPECT_TRUE(history.Add(action, std::move(before), bank, bank.Count() - 1));
        }
        EXPECT_EQ(name(step.undoName), history.UndoName()) << action;
        EXPECT_EQ(name(step.redoName), history.RedoName()) << action;
        EXPECT_EQ(step.clean, history.IsClean()) << action;
        EXPECT_EQ(step.lines, bank.Lines) << action;
    }
    EXPECT_EQ(MakeBank(1).Records[0], bank.Records[0]);  // "renumber" undone
    EXPECT_FALSE(history.Undo(bank));
    history.Clear();
    EXPECT_TRUE(history.IsClean() && !history.UndoName() && !history.RedoName());
}

}  // namespace
}  // namespace belltower::bank
