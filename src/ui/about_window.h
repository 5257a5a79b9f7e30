// SPDX-License-Identifier: GPL-3.0-or-later
// The About window: the program's icon, what Belltower does, and an OK button placed just
// below the text. The window is as tall as its wrapped text needs.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace belltower::ui {

// The About text, one paragraph a line.
QString AboutText();

class AboutWindow : public QDialog {
    Q_OBJECT

public:
    explicit AboutWindow(QWidget* parent = nullptr);

    // Geometry in device-independent pixels.
    static constexpr int kMargin = 8;  // left and top of the icon and the text
    static constexpr int kIconSide = 32;
    static constexpr int kTextLeft = 48;
    static constexpr int kTextWidth = 465;
    static constexpr int kButtonGap = 4;  // between the text and OK
    static constexpr int kButtonLeft = 216;
    static constexpr int kButtonWidth = 97;
    static constexpr int kButtonHeight = 25;

    // Members and the objectNames the controls carry.
    QLabel* iconLabel = nullptr;      // Image1
    QLabel* textLabel = nullptr;      // Label1, the About text
    QPushButton* okButton = nullptr;  // Command1, "OK"
};

}  // namespace belltower::ui
