// The About window: its text, its layout around the wrapped text, and that it is modal.
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "modal_helpers.h"
#include "ui/about_window.h"
#include "ui/main_window.h"
#include "ui/qt_prompter.h"

using belltower::ui::Form2;
using belltower::ui::testing::WhenModal;

class Form2Test : public QObject {
    Q_OBJECT

private slots:
    void captionAndText() {
        const Form2 about;
        QCOMPARE(about.objectName(), QStringLiteral("Form2"));
        QCOMPARE(about.windowTitle(), QStringLiteral("About Belltower"));
        const QStringList lines = about.Label1->text().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 11);
        QCOMPARE(lines[0], QStringLiteral("Welcome to the ultimate Belltower software!"));
        QVERIFY(lines[1].isEmpty());
        QCOMPARE(lines[2], QStringLiteral("This software was made because there was no quality melody flashing "
                                          "manager available."));
        QVERIFY(lines[6].startsWith(QStringLiteral("For example this melody: 'c v0 d v1 e' will vibrate")));
        QVERIFY(lines[8].endsWith(QStringLiteral("it can import both types to every DCT3 firmware.")));
        QVERIFY(lines[9].isEmpty());
        QVERIFY(lines[10].contains(QStringLiteral("free software")));
        QVERIFY(!about.Label1->text().contains(QLatin1Char('@')) &&
                !about.Label1->text().contains(QStringLiteral("http")));
        QCOMPARE(about.Command1->text(), QStringLiteral("OK"));
    }

    // OK sits 4 pixels below the wrapped text and the window ends just below OK, whatever
    // height the text needs with the installed font; a window made afresh (as after every
    // "?") is laid out the same.
    void layoutFollowsTheText() {
        Form2 about;
        const QRect text = about.Label1->geometry();
        QCOMPARE(text.topLeft(), QPoint(48, 8));
        QCOMPARE(text.width(), 465);
        QCOMPARE(text.height(), about.Label1->heightForWidth(465));
        QVERIFY(text.height() > 10 * about.fontMetrics().height());  // wrapped onto many lines
        const QRect ok = about.Command1->geometry();
        QCOMPARE(ok.top(), text.bottom() + 1 + 4);
        QCOMPARE(ok.left(), 216);
        QCOMPARE(ok.size(), QSize(97, 25));
        QCOMPARE(about.height(), ok.bottom() + 1 + 8);
        QCOMPARE(about.width(), 48 + 465 + 8);
        QCOMPARE(about.Image1->geometry(), QRect(8, 8, 32, 32));
        QVERIFY(!about.Image1->pixmap().isNull());

        const Form2 again;
        QCOMPARE(again.size(), about.size());
        QCOMPARE(again.Command1->geometry(), ok);
    }

    // Through the real prompter: the window is application-modal over the main window, and
    // OK closes it; a second "?" shows it again.
    void questionMarkShowsItModally() {
        belltower::ui::QtPrompter prompter;
        belltower::ui::Form1 window(prompter);
        prompter.SetParentWindow(&window);
        window.show();
        for (int round = 0; round < 2; ++round) {
            QString seenTitle;
            bool blocksTheMainWindow = false;
            WhenModal([&](QWidget* dialog) {
                QVERIFY(dialog != nullptr);
                seenTitle = dialog->windowTitle();
                blocksTheMainWindow =
                    dialog->windowModality() == Qt::ApplicationModal && dialog->parentWidget() == &window;
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
            });
            QTest::mouseClick(window.Command16, Qt::LeftButton);
            QCOMPARE(seenTitle, QStringLiteral("About Belltower"));
            QVERIFY(blocksTheMainWindow);
            QVERIFY(QApplication::activeModalWidget() == nullptr);
        }
    }
};

QTEST_MAIN(Form2Test)
#include "form2_tests.moc"
