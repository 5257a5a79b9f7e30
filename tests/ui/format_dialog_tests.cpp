// SPDX-License-Identifier: GPL-3.0-or-later
// The "Save in Format" dialog: preselection, the two choices, Accept and Cancel.
#include "ui/format_dialog.h"
#include "ui/qt_prompter.h"
#include "window_helpers.h"

using belltower::formats::TextFormat;
using namespace belltower::ui;
using namespace belltower::ui::testing;

class FormatDialogTest : public QObject {
    Q_OBJECT

private slots:
    // The suggestion preselected, a click, then OK or Cancel.
    void choices() {
        const std::optional<TextFormat> none, ascii = TextFormat::Ascii, unicode = TextFormat::Unicode;
        const std::tuple<std::optional<TextFormat>, const char*, const char*, std::optional<TextFormat>> cases[] = {
            {ascii, nullptr, "Command1", ascii},
            {unicode, nullptr, "Command1", unicode},
            {unicode, "Option1", "Command1", ascii},
            {ascii, "Option2", "Command2", none},
            {none, nullptr, "Command1", none}};
        for (const auto& [suggested, click, button, expected] : cases) {
            FormatDialog dialog(suggested);
            dialog.show();
            QCOMPARE(Find<QRadioButton>(dialog, "Option1")->isChecked(), suggested == ascii);
            QCOMPARE(Find<QRadioButton>(dialog, "Option2")->isChecked(), suggested == unicode);
            if (click != nullptr) {
                QTest::mouseClick(Find<QRadioButton>(dialog, click), Qt::LeftButton);
            }
            QTest::mouseClick(Find<QPushButton>(dialog, button), Qt::LeftButton);
            QVERIFY(!dialog.isVisible() && dialog.Choice() == expected);
            QCOMPARE(dialog.result(), int(expected ? QDialog::Accepted : QDialog::Rejected));
        }
    }

    // The real prompter shows the dialog modally and hands back the choice.
    void prompterReturnsTheChoice() {
        belltower::ui::QtPrompter prompter;
        bool modal = false;
        WhenModal([&](QWidget* dialog) {
            auto* form = qobject_cast<FormatDialog*>(dialog);
            QVERIFY(form != nullptr);
            modal = form->isModal();
            QTest::mouseClick(Find<QRadioButton>(*form, "Option2"), Qt::LeftButton);
            QTest::mouseClick(Find<QPushButton>(*form, "Command1"), Qt::LeftButton);
        });
        QCOMPARE(prompter.ChooseTextFormat(TextFormat::Ascii), std::optional(TextFormat::Unicode));
        QVERIFY(modal);
    }
};

QTEST_MAIN(FormatDialogTest)
#include "format_dialog_tests.moc"
