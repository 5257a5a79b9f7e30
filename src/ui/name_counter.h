// SPDX-License-Identifier: GPL-3.0-or-later
// The "characters left" counter beside a melody name box. The phones show about 14
// characters of a name, so the counter runs from " 14" down to " 0" (blue) and goes
// negative (red) once the name is longer than the display.
#pragma once

#include <QColor>
#include <QString>

class QLabel;
class QLineEdit;

namespace belltower::ui {

inline constexpr int kRecommendedNameLength = 14;

// 14 minus the length, with a leading blank when it is 0 or more: " 14", " 0", "-3".
QString CharactersLeftCaption(qsizetype nameLength);

// Black up to 13 characters, blue (0, 0, 200) at 14, red (200, 0, 0) from 15 on.
QColor CharactersLeftColour(qsizetype nameLength);

// Shows the counter for name in label.
void ShowCharactersLeft(QLabel* label, const QString& name);

// Keeps label counting the characters of edit from its next change on.
void ConnectNameCounter(QLineEdit* edit, QLabel* label);

}  // namespace belltower::ui
