// SPDX-License-Identifier: GPL-3.0-or-later
// Help > Ringtone Text: a short guide to the notes language, its tags and the melody options,
// with examples, in a window of its own beside the main window (not modal), searchable with a
// find line.
#pragma once

#include <QLineEdit>
#include <QTextBrowser>
#include <QWidget>

namespace belltower::ui {

class HelpGuide : public QWidget {
    Q_OBJECT

public:
    explicit HelpGuide(QWidget* parent = nullptr);

    QLineEdit* findEdit = nullptr;      // what to find; Enter finds the next place
    QTextBrowser* guideText = nullptr;  // the guide

    // Selects the next place of the find line's text after the cursor, from the top again at
    // the end. False when the guide does not hold it.
    bool FindNext();
};

}  // namespace belltower::ui
