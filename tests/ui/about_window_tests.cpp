// SPDX-License-Identifier: GPL-3.0-or-later
// The About window: its layout around the wrapped text, and that "?" shows it modally.
#include "ui/about_window.h"
#include "ui/qt_prompter.h"
#include "window_helpers.h"

using belltower::ui::AboutWindow;
using namespace belltower::ui::testing;

class AboutWindowTest : public QObject {
    Q_OBJECT

private slots:
    // OK sits 4 pixels below the wrapped text and the window ends just below OK, whatever the
    // font. Through the real prompter it is modal over the main window; every "?" lays it out anew.
    void shownModallyAndLaidOutAroundTheText() {
        const belltower::testing::ScratchDir settings("settings");
        UseScratchSettings(QString::fromStdString(settings.path().string()));
        belltower::ui::QtPrompter prompter;
        belltower::ui::MainWindow window(prompter);
        prompter.SetParentWindow(&window);
        window.show();
        for (int round = 0; round < 2; ++round) {
            bool modal = false;
            WhenModal([&](QWidget* dialog) {
                auto* about = qobject_cast<AboutWindow*>(dialog);
                QVERIFY(about != nullptr);
                modal = about->windowModality() == Qt::ApplicationModal && about->parentWidget() == &window;
                const QRect text = Find<QLabel>(*about, "Label1")->geometry();
                QCOMPARE(text, QRect(48, 8, 465, Find<QLabel>(*about, "Label1")->heightForWidth(465)));
                QVERIFY(text.height() > 10 * about->fontMetrics().height());  // wrapped onto many lines
                const QRect ok = Find<QPushButton>(*about, "Command1")->geometry();
                QCOMPARE(ok, QRect(216, text.bottom() + 1 + 4, 97, 25));
                QCOMPARE(about->size(), QSize(48 + 465 + 8, ok.bottom() + 1 + 8));
                QCOMPARE(Find<QLabel>(*about, "Image1")->geometry(), QRect(8, 8, 32, 32));
                QTest::mouseClick(Find<QPushButton>(*about, "Command1"), Qt::LeftButton);
            });
            QTest::mouseClick(Find<QPushButton>(window, "Command16"), Qt::LeftButton);
            QVERIFY(modal);
            QVERIFY(QApplication::activeModalWidget() == nullptr);
        }
    }
};

QTEST_MAIN(AboutWindowTest)
#include "about_window_tests.moc"
