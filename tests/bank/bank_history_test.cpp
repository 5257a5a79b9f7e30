// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/bank_history.h"

#include <gtest/gtest.h>

#include "test_banks.h"

namespace belltower::bank {
namespace {

// Each change adds a melody named after it at the end of the list and selects it ("renumber"
// changes a record but no line); undo and redo bring back the lines and the selection of the
// state they return to. Also: the names of the steps, what a new change does to redo, the limit
// of two steps, and when the bank counts as clean (saved) again.
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
