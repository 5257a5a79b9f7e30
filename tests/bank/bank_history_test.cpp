#include "bank/bank_history.h"

#include <gtest/gtest.h>

#include <random>

#include "bank/list_operations.h"
#include "bank/record_properties.h"
#include "test_banks.h"

namespace belltower::bank {
namespace {

// A random edit of the bank, as the window makes them, on a random line; returns the selection
// afterwards.
Selection RandomEdit(ToneBank& bank, std::mt19937& random) {
    const auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
    const Selection line = bank.Count() == 0 ? std::nullopt : Selection(pick(bank.Count()));
    const Bytes record = testing::MakeRecord(bank.UnicodeNames, static_cast<std::uint32_t>(pick(500)), "NEW",
                                             testing::RandomName(random, bank.UnicodeNames).substr(0, 20) + "x",
                                             testing::RandomToneData(random));
    switch (pick(6)) {
    case 0:
        return MoveUp(bank, line);
    case 1:
        return MoveDown(bank, line);
    case 2: {
        const auto stored = (pick(2) == 0 ? Replace : Insert)(bank, line, record);
        return stored ? *stored : line;
    }
    case 3:
        (void)Delete(bank, line);
        return std::nullopt;
    case 4:
        Reindex(bank);
        return line;
    default:
        if (line) {
            (void)ApplyRecordEdits(bank, *line, {"Renamed", "AB", std::to_string(pick(99)), "2"});
        }
        return line;
    }
}

// 200 random edits of generated images; undoing them all gives the loaded bank back, byte for
// byte, passing every intermediate state on the way, and redoing them all gives the last.
TEST(BankHistory, UndoesAndRedoesRandomEditsToTheLoadedBank) {
    std::mt19937 random(14);
    for (const TextFormat format : {kAscii, kUnicode}) {
        ToneBank bank = LoadedBank(testing::RandomLayout(random, format, 12));
        const ToneBank loaded = bank;
        BankHistory history;
        std::vector<BankState> befores;  // the state before each recorded edit
        Selection selected;
        for (int edit = 0; edit < 200; ++edit) {
            BankState before = CaptureState(bank, selected);
            selected = RandomEdit(bank, random);
            if (history.Add("edit", before, bank, selected)) {
                befores.push_back(std::move(before));
            }
        }
        ASSERT_GT(befores.size(), 50U);
        const ToneBank last = bank;
        for (; !befores.empty(); befores.pop_back()) {
            ASSERT_EQ(befores.back().Selected, history.Undo(bank).value());
            ASSERT_EQ(befores.back(), CaptureState(bank, befores.back().Selected)) << befores.size();
        }
        EXPECT_EQ(loaded, bank);
        EXPECT_FALSE(history.Undo(bank));
        while (history.Redo(bank)) {
        }
        EXPECT_EQ(last, bank);
    }
}

// The names of the steps, what a new change does to redo, the limit of two steps, and when the
// bank counts as clean (saved) again.
TEST(BankHistory, NamesLimitAndCleanState) {
    ToneBank bank = MakeBank(3);
    BankHistory history(2);
    EXPECT_FALSE(history.Add("nothing", CaptureState(bank, 0), bank, 0));
    EXPECT_TRUE(history.IsClean() && !history.UndoName());
    const auto name = [](const char* text) { return *text ? std::optional<std::string>(text) : std::nullopt; };
    const struct {
        const char* action;  // a name: a new change; "undo", "redo", "save"
        const char* undoName;
        const char* redoName;
        bool clean;
    } steps[] = {
        {"one", "one", "", false},       {"save", "one", "", true},  {"undo", "", "one", false},
        {"redo", "one", "", true},       {"two", "two", "", false},  {"three", "three", "", false},
        {"undo", "two", "three", false}, {"undo", "", "two", true},  // saved after "one", which fell off the limit
        {"four", "four", "", false},     {"save", "four", "", true}, {"undo", "", "four", false},
        {"five", "five", "", false},  // the saved state can no longer come back
        {"undo", "", "five", false},
    };
    for (const auto& step : steps) {
        const std::string action = step.action;
        if (action == "undo" || action == "redo") {
            EXPECT_TRUE(action == "undo" ? history.Undo(bank) : history.Redo(bank));
        } else if (action == "save") {
            history.MarkClean();
        } else {
            BankState before = CaptureState(bank, 0);
            (void)MoveDown(bank, bank.Lines[0] == "M0" ? 0 : 1);
            EXPECT_TRUE(history.Add(action, std::move(before), bank, 1));
        }
        EXPECT_EQ(name(step.undoName), history.UndoName()) << action;
        EXPECT_EQ(name(step.redoName), history.RedoName()) << action;
        EXPECT_EQ(step.clean, history.IsClean()) << action;
    }
    history.Clear();
    EXPECT_TRUE(history.IsClean() && !history.UndoName() && !history.RedoName());
}

}  // namespace
}  // namespace belltower::bank
