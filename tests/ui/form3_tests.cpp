// The "Save in Format" dialog: preselection, the two choices, Accept and Cancel.
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "modal_helpers.h"
#include "ui/format_dialog.h"
#include "ui/qt_prompter.h"

using belltower::formats::TextFormat;
using belltower::ui::Form3;
using belltower::ui::testing::WhenModal;

class Form3Test : public QObject {
    Q_OBJECT

private slots:
    void choices() {
        const std::optional<TextFormat> none;
        const std::optional<TextFormat> ascii = TextFormat::Ascii;
        const std::optional<TextFormat> unicode = TextFormat::Unicode;
        const struct {
            const char* what;
            std::optional<TextFormat> suggested;
            QRadioButton* Form3::*click;  // nullptr: no click
            bool accept;
            std::optional<TextFormat> expected;
        } cases[] = {
            {"ASCII suggested, accepted", ascii, nullptr, true, ascii},
            {"Unicode suggested, accepted", unicode, nullptr, true, unicode},
            {"Unicode suggested, ASCII chosen", unicode, &Form3::Option1, true, ascii},
            {"cancelled", ascii, &Form3::Option2, false, none},
            {"nothing selected, accepted", none, nullptr, true, none},
        };
        for (const auto& c : cases) {
            Form3 dialog(c.suggested);
            dialog.show();
            QVERIFY2(dialog.Option1->isChecked() == (c.suggested == ascii), c.what);
            QVERIFY2(dialog.Option2->isChecked() == (c.suggested == unicode), c.what);
            if (c.click != nullptr) {
                QTest::mouseClick(dialog.*c.click, Qt::LeftButton);
            }
            QTest::mouseClick(c.accept ? dialog.Command1 : dialog.Command2, Qt::LeftButton);
            QVERIFY2(!dialog.isVisible() && dialog.Choice() == c.expected, c.what);
            QCOMPARE(dialog.result(), int(c.expected ? QDialog::Accepted : QDialog::Rejected));
        }
    }

    // The real prompter shows the dialog modally and hands back the choice.
    void prompterReturnsTheChoice() {
        belltower::ui::QtPrompter prompter;
        bool modal = false;
        WhenModal([&](QWidget* dialog) {
            auto* form = qobject_cast<Form3*>(dialog);
            QVERIFY(form != nullptr);
            modal = form->isModal();
            QTest::mouseClick(form->Option2, Qt::LeftButton);
            QTest::mouseClick(form->Command1, Qt::LeftButton);
        });
        QCOMPARE(prompter.ChooseTextFormat(TextFormat::Ascii), std::optional(TextFormat::Unicode));
        QVERIFY(modal);
    }
};

QTEST_MAIN(Form3Test)
#include "form3_tests.moc"
