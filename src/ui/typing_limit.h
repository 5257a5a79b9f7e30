// SPDX-License-Identifier: GPL-3.0-or-later
// A most-characters limit on what the user types into a line edit. Unlike
// QLineEdit::setMaxLength it never cuts a text the program sets: a melody name of 40
// characters read from a file stays whole, the user can shorten it but not lengthen it.
#pragma once

#include <QValidator>

class QLineEdit;

namespace belltower::ui {

class TypingLimit : public QValidator {
    Q_OBJECT

public:
    // Installs itself as the validator of edit (which owns it).
    TypingLimit(QLineEdit* edit, int maxCharacters);

    // An edit that would leave more than the limit and more than the text had before is
    // refused whole (typing stops, a paste that does not fit is not taken). A text set by
    // the program (setText) is always taken.
    State validate(QString& input, int& position) const override;

    int MaxCharacters() const { return maxCharacters_; }

private:
    QLineEdit* edit_;
    int maxCharacters_;
    qsizetype lengthBefore_ = 0;  // length of the text as it stood before the edit being checked
};

// Convenience: limits typing in edit to maxCharacters.
void LimitTyping(QLineEdit* edit, int maxCharacters);

}  // namespace belltower::ui
