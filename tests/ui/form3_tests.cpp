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
    void caption() {
        const Form3 dialog(TextFormat::Ascii);
        QCOMPARE(dialog.objectName(), QStringLiteral("Form3"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Save in Format"));
        QVERIFY(dialog.isModal());
    }

    void choices_data() {
        QTest::addColumn<int>("suggested");  // -1 none, else TextFormat
        QTest::addColumn<int>("click");     // 0 nothing, 1 Option1, 2 Option2
        QTest::addColumn<bool>("accept");
        QTest::addColumn<int>("expected");  // -1 no choice, else TextFormat
        const int ascii = static_cast<int>(TextFormat::Ascii);
        const int unicode = static_cast<int>(TextFormat::Unicode);
        QTest::newRow("ASCII suggested, accepted") << ascii << 0 << true << ascii;
        QTest::newRow("Unicode suggested, accepted") << unicode << 0 << true << unicode;
        QTest::newRow("ASCII suggested, Unicode chosen") << ascii << 2 << true << unicode;
        QTest::newRow("Unicode suggested, ASCII chosen") << unicode << 1 << true << ascii;
        QTest::newRow("cancelled") << ascii << 2 << false << -1;
        QTest::newRow("nothing selected, accepted") << -1 << 0 << true << -1;
    }

    void choices() {
        QFETCH(int, suggested);
        QFETCH(int, click);
        QFETCH(bool, accept);
        QFETCH(int, expected);
        Form3 dialog(suggested < 0 ? std::nullopt : std::optional(static_cast<TextFormat>(suggested)));
        dialog.show();
        QCOMPARE(dialog.Option1->isChecked(), suggested == static_cast<int>(TextFormat::Ascii));
        QCOMPARE(dialog.Option2->isChecked(), suggested == static_cast<int>(TextFormat::Unicode));
        if (click == 1) {
            QTest::mouseClick(dialog.Option1, Qt::LeftButton);
        } else if (click == 2) {
            QTest::mouseClick(dialog.Option2, Qt::LeftButton);
        }
        QVERIFY(!(dialog.Option1->isChecked() && dialog.Option2->isChecked()));
        QTest::mouseClick(accept ? dialog.Command1 : dialog.Command2, Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.Choice().has_value(), expected >= 0);
        if (expected >= 0) {
            QCOMPARE(static_cast<int>(*dialog.Choice()), expected);
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        } else {
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
        }
    }

    void closingTheWindowCancels() {
        Form3 dialog(TextFormat::Unicode);
        dialog.show();
        dialog.close();
        QVERIFY(!dialog.Choice());
    }

    // The real prompter shows the dialog modally and hands back the choice.
    void prompterReturnsTheChoice() {
        belltower::ui::QtPrompter prompter;
        bool modal = false;
        WhenModal([&](QWidget* dialog) {
            QVERIFY(dialog != nullptr);
            modal = dialog->objectName() == QStringLiteral("Form3");
            QTest::mouseClick(dialog->findChild<QRadioButton*>(QStringLiteral("Option2")), Qt::LeftButton);
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        });
        QCOMPARE(prompter.ChooseTextFormat(TextFormat::Ascii), std::optional(TextFormat::Unicode));
        QVERIFY(modal);
    }
};

QTEST_MAIN(Form3Test)
#include "form3_tests.moc"
