// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/format_dialog.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/window_style.h"

namespace belltower::ui {

FormatDialog::FormatDialog(std::optional<formats::TextFormat> suggested, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Save in Format"));
    setModal(true);
    setFont(WindowFont());

    phonesLabel = new QLabel(QStringLiteral("If you plan to use this raw file on ASCII/UTF phones like 3210 and 3310, "
                                            "choose ASCII format. But if you have a 6210 or 7110, choose Unicode."),
                             this);
    importLabel =
        new QLabel(QStringLiteral("No matter what you choose, you can import these files with this program to "
                                  "any supported firmware. But if you plan to import files with PPM Manager "
                                  "or other software, please respect the target firmware format."),
                   this);
    asciiOption = new QRadioButton(QStringLiteral("ASCII"), this);
    unicodeOption = new QRadioButton(QStringLiteral("Unicode"), this);
    acceptButton = new QPushButton(QStringLiteral("Accept"), this);
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    phonesLabel->setObjectName(QStringLiteral("Label1"));
    importLabel->setObjectName(QStringLiteral("Label2"));
    asciiOption->setObjectName(QStringLiteral("Option1"));
    unicodeOption->setObjectName(QStringLiteral("Option2"));
    acceptButton->setObjectName(QStringLiteral("Command1"));
    cancelButton->setObjectName(QStringLiteral("Command2"));
    for (QLabel* label : {phonesLabel, importLabel}) {
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);
    }

    // One group: selecting one choice clears the other; at first both may be clear.
    auto* choices = new QButtonGroup(this);
    choices->addButton(asciiOption);
    choices->addButton(unicodeOption);
    if (suggested == formats::TextFormat::Ascii) {
        asciiOption->setChecked(true);
    } else if (suggested == formats::TextFormat::Unicode) {
        unicodeOption->setChecked(true);
    }

    acceptButton->setDefault(true);
    connect(acceptButton, &QPushButton::clicked, this, &FormatDialog::AcceptFormat);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* options = new QHBoxLayout;
    options->addStretch(1);
    options->addWidget(asciiOption);
    options->addSpacing(24);
    options->addWidget(unicodeOption);
    options->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(acceptButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(phonesLabel);
    layout->addWidget(importLabel);
    layout->addLayout(options);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    phonesLabel->setFixedWidth(380);
    importLabel->setFixedWidth(380);
}

void FormatDialog::AcceptFormat() {
    if (asciiOption->isChecked()) {
        choice_ = formats::TextFormat::Ascii;
    } else if (unicodeOption->isChecked()) {
        choice_ = formats::TextFormat::Unicode;
    }
    if (choice_) {
        accept();
    } else {
        reject();
    }
}

}  // namespace belltower::ui
