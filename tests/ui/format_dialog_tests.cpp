// The "Save in Format" dialog: preselection, the two choices, Accept and Cancel.
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "ui/format_dialog.h"
#include "ui/qt_prompter.h"
#include "window_helpers.h"

using belltower::formats::TextFormat;
using belltower::ui::FormatDialog;
using belltower::ui::testing::Find;
using belltower::ui::testing::WhenModal;

class FormatDialogTest : public QObject {
    Q_OBJECT

private slots:
    void choices() {
        const std::optional<TextFormat> none;
        const std::optional<TextFormat> ascii = TextFormat::Ascii;
        const std::optional<TextFormat> unicode = TextFormat::Unicode;
        const struct {
            const char* what;
            std::optional<TextFormat> suggested;
            const char* click;  // nullptr: no click
            bool accept;
            std::optional<TextFormat> expected;
        } cases[] = {
            {"ASCII suggested, accepted", ascii, nullptr, true, ascii},
            {"Unicode suggested, accepted", unicode, nullptr, true, unicode},
            {"Unicode suggested, ASCII chosen", unicode, "Option1", true, ascii},
            {"cancelled", ascii, "Option2", false, none},
            {"nothing selected, accepted", none, nullptr, true, none},
        };
        for (const auto& c : cases) {
            FormatDialog dialog(c.suggested);
            dialog.show();
            QVERIFY2(Find<QRadioButton>(dialog, "Option1")->isChecked() == (c.suggested == ascii), c.what);
            QVERIFY2(Find<QRadioButton>(dialog, "Option2")->isChecked() == (c.suggested == unicode), c.what);
            if (c.click != nullptr) {
                QTest::mouseClick(Find<QRadioButton>(dialog, c.click), Qt::LeftButton);
            }
            QTest::mouseClick(c.accept ? Find<QPushButton>(dialog, "Command1") : Find<QPushButton>(dialog, "Command2"),
                              Qt::LeftButton);
            QVERIFY2(!dialog.isVisible() && dialog.Choice() == c.expected, c.what);
            QCOMPARE(dialog.result(), int(c.expected ? QDialog::Accepted : QDialog::Rejected));
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
