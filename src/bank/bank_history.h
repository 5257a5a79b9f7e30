// SPDX-License-Identifier: GPL-3.0-or-later
// Undo and redo for the melody bank: a history of whole bank states.
//
// A bank of 300 melodies holds a few dozen kilobytes of records, so every step keeps the
// records and list lines as they were before the change instead of a description of the
// change. The firmware image around the TONE chunk is not kept: no edit changes it, and a
// load, which does, starts a new history.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "bank/tone_bank.h"
#include "formats/bytes.h"

namespace belltower::bank {

// What an edit of the bank can change: the melodies and their list lines, and which line is
// selected.
struct BankState {
    std::vector<formats::Bytes> Records;
    std::vector<std::string> Lines;
    Selection Selected;

    friend bool operator==(const BankState&, const BankState&) = default;
};

BankState CaptureState(const ToneBank& bank, Selection selected);

class BankHistory {
public:
    static constexpr std::size_t kDefaultSteps = 200;

    // Keeps the last `steps` changes (at least one); older ones are forgotten.
    explicit BankHistory(std::size_t steps = kDefaultSteps);

    // Records a change named `name` ("Delete \"Kylie\"") that turned `before` into the bank as
    // it now stands, with `selectedAfter` selected. A change that left the records and lines
    // as they were is not recorded (false). Anything that could be redone is forgotten.
    bool Add(std::string name, BankState before, const ToneBank& after, Selection selectedAfter);

    // The name of the change Undo would take back, or Redo would make again; nothing when
    // there is none.
    std::optional<std::string> UndoName() const;
    std::optional<std::string> RedoName() const;

    // Puts the bank back as it was before the last change (Undo) or as the last undone change
    // left it (Redo) and returns the line selected then; nothing, and the bank untouched,
    // when there is nothing to undo or redo.
    std::optional<Selection> Undo(ToneBank& bank);
    std::optional<Selection> Redo(ToneBank& bank);

    // Forgets every step: after a load, the states no longer belong to the bank.
    void Clear();

    // The bank as it now stands is the one last saved or loaded (MarkClean) or not. Undoing
    // back to a saved state makes the bank clean again.
    void MarkClean();
    // The bank as it now stands was never saved: melodies kept across the load of another image.
    void MarkModified() { cleanDepth_.reset(); }
    bool IsClean() const;

    std::size_t UndoCount() const { return undo_.size(); }
    std::size_t RedoCount() const { return redo_.size(); }

private:
    struct Step {
        std::string name;
        BankState state;               // the bank on the other side of the change
        Selection selectedOnThisSide;  // the selection that goes with the bank as it stands
    };
    static std::optional<Selection> Swap(std::deque<Step>& from, std::deque<Step>& to, ToneBank& bank);

    std::size_t steps_;
    std::deque<Step> undo_;  // oldest first; each holds the state before its change
    std::deque<Step> redo_;  // most recently undone last; each holds the state after its change
    // The number of steps on undo_ when the bank was clean; nothing when that state is gone.
    std::optional<std::size_t> cleanDepth_ = 0;
};

}  // namespace belltower::bank
