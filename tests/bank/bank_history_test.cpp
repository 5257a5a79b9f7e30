#include "bank/bank_history.h"

#include <gtest/gtest.h>

#include <random>

#include "bank/list_operations.h"
#include "bank/record_properties.h"
#include "test_banks.h"

namespace belltower::bank {
namespace {

// A random edit of the bank, as the window makes them; the selection is picked at random too.
// Returns the selection afterwards.
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
    for (const TextFormat format : {TextFormat::Ascii, TextFormat::Unicode}) {
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
        while (!befores.empty()) {
            ASSERT_EQ(befores.back().Selected, history.Undo(bank).value());
            ASSERT_EQ(befores.back(), CaptureState(bank, befores.back().Selected)) << befores.size();
            befores.pop_back();
        }
        EXPECT_EQ(loaded, bank);
        EXPECT_FALSE(history.Undo(bank));
        while (history.Redo(bank)) {
        }
        EXPECT_EQ(last, bank);
    }
}

// The names of the steps, what a new change does to redo, the step limit, and when the bank
// counts as clean (saved) again.
TEST(BankHistory, NamesLimitAndCleanState) {
    ToneBank bank = MakeBank(3);
    BankHistory history(2);
    EXPECT_TRUE(history.IsClean());
    const auto edit = [&](const char* name) {
        BankState before = CaptureState(bank, 0);
        (void)MoveDown(bank, bank.Lines[0] == "M0" ? 0 : 1);
        return history.Add(name, std::move(before), bank, 1);
    };
    EXPECT_FALSE(history.Add("nothing", CaptureState(bank, 0), bank, 0));
    EXPECT_TRUE(history.IsClean() && !history.UndoName());

    const struct {
        const char* action;  // a name: a new change; "undo", "redo", "save"
        const char* undoName;
        const char* redoName;
        bool clean;
    } steps[] = {
        {"one", "one", nullptr, false},
        {"save", "one", nullptr, true},
        {"undo", nullptr, "one", false},
        {"redo", "one", nullptr, true},
        {"two", "two", nullptr, false},
        {"three", "three", nullptr, false},
        {"undo", "two", "three", false},
        {"undo", nullptr, "two", true},  // saved after "one", which fell off the
                                         // limit
        {"four", "four", nullptr, false},
        {"save", "four", nullptr, true},
        {"undo", nullptr, "four", false},
        {"five", "five", nullptr, false},  // the saved state can no longer come back
        {"undo", nullptr, "five", false},
    };
    for (const auto& step : steps) {
        const std::string action = step.action;
        if (action == "undo") {
            EXPECT_TRUE(history.Undo(bank));
        } else if (action == "redo") {
            EXPECT_TRUE(history.Redo(bank));
        } else if (action == "save") {
            history.MarkClean();
        } else {
            EXPECT_TRUE(edit(step.action));
        }
        EXPECT_EQ(step.undoName ? std::optional<std::string>(step.undoName) : std::nullopt, history.UndoName())
            << action;
        EXPECT_EQ(step.redoName ? std::optional<std::string>(step.redoName) : std::nullopt, history.RedoName())
            << action;
        EXPECT_EQ(step.clean, history.IsClean()) << action;
    }
    history.Clear();
    EXPECT_TRUE(history.IsClean() && !history.UndoName() && !history.RedoName());
}

}  // namespace
}  // namespace belltower::bank
