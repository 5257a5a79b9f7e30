// The About window: the program's icon, what Belltower does, and an OK button placed just
// below the text. The window is as tall as its wrapped text needs.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace belltower::ui {

// The About text, one paragraph a line.
QString AboutText();

class Form2 : public QDialog {
    Q_OBJECT

public:
    explicit Form2(QWidget* parent = nullptr);

    // Geometry in device-independent pixels.
    static constexpr int kMargin = 8;  // left and top of the icon and the text
    static constexpr int kIconSide = 32;
    static constexpr int kTextLeft = 48;
    static constexpr int kTextWidth = 465;
    static constexpr int kButtonGap = 4;  // between the text and OK
    static constexpr int kButtonLeft = 216;
    static constexpr int kButtonWidth = 97;
    static constexpr int kButtonHeight = 25;

    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* Command1 = nullptr;
};

}  // namespace belltower::ui
