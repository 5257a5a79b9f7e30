// "Save in Format": asks in which of the phones' two text formats an RE file is written.
// ASCII suits the 3210 and 3310, Unicode the 6210 and 7110.
#pragma once

#include <QDialog>

#include <optional>

#include "formats/names.h"

class QLabel;
class QPushButton;
class QRadioButton;

namespace belltower::ui {

class Form3 : public QDialog {
    Q_OBJECT

public:
    // Opens with the suggested format selected; nothing suggested leaves both choices clear.
    explicit Form3(std::optional<formats::TextFormat> suggested, QWidget* parent = nullptr);

    // The format accepted with "Accept"; nothing after "Cancel", after closing the window,
    // or after "Accept" with neither choice selected.
    std::optional<formats::TextFormat> Choice() const { return choice_; }

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QRadioButton* Option1 = nullptr;  // "ASCII"
    QRadioButton* Option2 = nullptr;  // "Unicode"
    QPushButton* Command1 = nullptr;  // "Accept"
    QPushButton* Command2 = nullptr;  // "Cancel"

private:
    void Accept();

    std::optional<formats::TextFormat> choice_;
};

}  // namespace belltower::ui
