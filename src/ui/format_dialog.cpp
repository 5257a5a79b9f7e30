#include "ui/format_dialog.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/window_style.h"

namespace belltower::ui {

Form3::Form3(std::optional<formats::TextFormat> suggested, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Save in Format"));
    setModal(true);
    setFont(WindowFont());

    Label1 = new QLabel(QStringLiteral("If you plan to use this raw file on ASCII/UTF phones like 3210 and 3310, "
                                       "choose ASCII format. But if you have a 6210 or 7110, choose Unicode."),
                        this);
    Label2 = new QLabel(QStringLiteral("No matter what you choose, you can import these files with this program to "
                                       "any supported firmware. But if you plan to import files with PPM Manager "
                                       "or other software, please respect the target firmware format."),
                        this);
    Option1 = new QRadioButton(QStringLiteral("ASCII"), this);
    Option2 = new QRadioButton(QStringLiteral("Unicode"), this);
    Command1 = new QPushButton(QStringLiteral("Accept"), this);
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2->setObjectName(QStringLiteral("Label2"));
    Option1->setObjectName(QStringLiteral("Option1"));
    Option2->setObjectName(QStringLiteral("Option2"));
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2->setObjectName(QStringLiteral("Command2"));
    for (QLabel* label : {Label1, Label2}) {
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);
    }

    // One group: selecting one choice clears the other; at first both may be clear.
    auto* choices = new QButtonGroup(this);
    choices->addButton(Option1);
    choices->addButton(Option2);
    if (suggested == formats::TextFormat::Ascii) {
        Option1->setChecked(true);
    } else if (suggested == formats::TextFormat::Unicode) {
        Option2->setChecked(true);
    }

    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &Form3::Accept);
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);

    auto* options = new QHBoxLayout;
    options->addStretch(1);
    options->addWidget(Option1);
    options->addSpacing(24);
    options->addWidget(Option2);
    options->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addLayout(options);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    Label1->setFixedWidth(380);
    Label2->setFixedWidth(380);
}

void Form3::Accept() {
    if (Option1->isChecked()) {
        choice_ = formats::TextFormat::Ascii;
    } else if (Option2->isChecked()) {
        choice_ = formats::TextFormat::Unicode;
    }
    if (choice_) {
        accept();
    } else {
        reject();
    }
}

}  // namespace belltower::ui
