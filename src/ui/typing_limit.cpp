// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/typing_limit.h"

#include <QLineEdit>

namespace belltower::ui {

TypingLimit::TypingLimit(QLineEdit* edit, int maxCharacters)
    : QValidator(edit), edit_(edit), maxCharacters_(maxCharacters), lengthBefore_(edit->text().size()) {
    // The line edit asks the validator before it announces a change, so lengthBefore_ still
    // holds the old length while an edit is checked.
    connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { lengthBefore_ = text.size(); });
    edit->setValidator(this);
}

QValidator::State TypingLimit::validate(QString& input, int& /*position*/) const {
    // setText starts a fresh undo history, so the box reads as unmodified exactly while a text
    // set by the program is checked; typing and pasting always leave it modified.
    if (!edit_->isModified()) {
        return Acceptable;
    }
    if (input.size() > maxCharacters_ && input.size() > lengthBefore_) {
        return Invalid;
    }
    return Acceptable;
}

void LimitTyping(QLineEdit* edit, int maxCharacters) {
    new TypingLimit(edit, maxCharacters);
}

}  // namespace belltower::ui
