// SPDX-License-Identifier: GPL-3.0-or-later
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

class FormatDialog : public QDialog {
    Q_OBJECT

public:
    // Opens with the suggested format selected; nothing suggested leaves both choices clear.
    explicit FormatDialog(std::optional<formats::TextFormat> suggested, QWidget* parent = nullptr);

    // The format accepted with "Accept"; nothing after "Cancel", after closing the window,
    // or after "Accept" with neither choice selected.
    std::optional<formats::TextFormat> Choice() const { return choice_; }

    // Members and the objectNames the controls carry.
    QLabel* phonesLabel = nullptr;          // Label1, which format suits which phone
    QLabel* importLabel = nullptr;          // Label2, importing into other tools
    QRadioButton* asciiOption = nullptr;    // Option1, "ASCII"
    QRadioButton* unicodeOption = nullptr;  // Option2, "Unicode"
    QPushButton* acceptButton = nullptr;    // Command1, "Accept"
    QPushButton* cancelButton = nullptr;    // Command2, "Cancel"

private:
    void AcceptFormat();

    std::optional<formats::TextFormat> choice_;
};

}  // namespace belltower::ui
