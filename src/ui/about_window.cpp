// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/about_window.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStringList>

#include "ui/window_style.h"

namespace belltower::ui {

QString AboutText() {
    const QStringList lines = {
        QStringLiteral("Welcome to the ultimate Belltower software!"),
        QString(),
        QStringLiteral("This software was made because there was no quality melody flashing manager available."),
        QStringLiteral("It claims to be much more reliable, flexible and feature richer than FlashTone."),
        QStringLiteral("Supports quality conversion from RTX files to binary (raw) format and unlike FlashTone it "
                       "can handle elongated notes marked with dot '.'. Doesn't corrupt difficult sequences of "
                       "notes. Lets you choose whether the melody should repeat or not. You can even set a "
                       "Staccato mode!"),
        QStringLiteral("VIBRATION CONTROL? No problem. New tags are supported in RTX: v1 turns vibration on and "
                       "v0 turns it off."),
        QStringLiteral("For example this melody: 'c v0 d v1 e' will vibrate on C and E notes only. You can also "
                       "do tempo changes during play with tag t200, where 200 is a new BPM to use further on. BPM "
                       "precision is also better - for example 137 is also valid. No fixed tempo values anymore!"),
        QStringLiteral("When it comes to file-like management, this software excels again. It exclusively allows "
                       "you to directly rename, move and do other operations with melodies in your existing "
                       "firmware."),
        QStringLiteral("What is really revolutionary, is the ability to convert melodies between Unicode and "
                       "Ascii. Now you can transfer your favorite melodies from 7110 to 3310 for example! Although "
                       "the program lets you choose whether to export the files to Ascii or Unicode, it can import "
                       "both types to every DCT3 firmware."),
        QString(),
        QStringLiteral("Belltower is free software: use it, copy it and share it freely."),
    };
    return lines.join(QLatin1Char('\n'));
}

AboutWindow::AboutWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("About Belltower"));
    setModal(true);
    setFont(WindowFont(9));

    iconLabel = new QLabel(this);
    iconLabel->setObjectName(QStringLiteral("Image1"));
    iconLabel->setPixmap(ProgramIcon().pixmap(kIconSide, kIconSide));
    iconLabel->setGeometry(kMargin, kMargin, kIconSide, kIconSide);

    textLabel = new QLabel(AboutText(), this);
    textLabel->setObjectName(QStringLiteral("Label1"));
    textLabel->setTextFormat(Qt::PlainText);
    textLabel->setWordWrap(true);
    textLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The label keeps its width and grows to the height of its wrapped text.
    const int textHeight = textLabel->heightForWidth(kTextWidth);
    textLabel->setGeometry(kTextLeft, kMargin, kTextWidth, textHeight);

    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("Command1"));
    okButton->setDefault(true);
    const int buttonTop = textLabel->geometry().bottom() + 1 + kButtonGap;
    okButton->setGeometry(kButtonLeft, buttonTop, kButtonWidth, kButtonHeight);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(kTextLeft + kTextWidth + kMargin, buttonTop + kButtonHeight + kMargin);
}

}  // namespace belltower::ui
