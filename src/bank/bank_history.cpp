// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/bank_history.h"

#include <algorithm>
#include <utility>

namespace belltower::bank {

BankState CaptureState(const ToneBank& bank, Selection selected) {
    return {bank.Records, bank.Lines, selected};
}

BankHistory::BankHistory(std::size_t steps) : steps_(std::max<std::size_t>(steps, 1)) {}

bool BankHistory::Add(std::string name, BankState before, const ToneBank& after, Selection selectedAfter) {
    if (before.Records == after.Records && before.Lines == after.Lines) {
        return false;
    }
    redo_.clear();
    // A clean state among the undone steps can no longer be reached.
    if (cleanDepth_ && *cleanDepth_ > undo_.size()) {
        cleanDepth_.reset();
    }
    undo_.push_back({std::move(name), std::move(before), selectedAfter});
    if (undo_.size() > steps_) {
        undo_.pop_front();
        if (cleanDepth_) {
            cleanDepth_ = *cleanDepth_ == 0 ? std::nullopt : std::optional<std::size_t>(*cleanDepth_ - 1);
        }
    }
    return true;
}

std::optional<std::string> BankHistory::UndoName() const {
    return undo_.empty() ? std::nullopt : std::optional(undo_.back().name);
}

std::optional<std::string> BankHistory::RedoName() const {
    return redo_.empty() ? std::nullopt : std::optional(redo_.back().name);
}

std::optional<Selection> BankHistory::Swap(std::deque<Step>& from, std::deque<Step>& to, ToneBank& bank) {
    if (from.empty()) {
        return std::nullopt;
    }
    Step step = std::move(from.back());
    from.pop_back();
    to.push_back({step.name, CaptureState(bank, step.selectedOnThisSide), step.state.Selected});
    bank.Records = std::move(step.state.Records);
    bank.Lines = std::move(step.state.Lines);
    return step.state.Selected;
}

std::optional<Selection> BankHistory::Undo(ToneBank& bank) {
    return Swap(undo_, redo_, bank);
}

std::optional<Selection> BankHistory::Redo(ToneBank& bank) {
    return Swap(redo_, undo_, bank);
}

void BankHistory::Clear() {
    undo_.clear();
    redo_.clear();
    cleanDepth_ = 0;
}

void BankHistory::MarkClean() {
    cleanDepth_ = undo_.size();
}

bool BankHistory::IsClean() const {
    return cleanDepth_ == undo_.size();
}

}  // namespace belltower::bank
