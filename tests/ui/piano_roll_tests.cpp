// SPDX-License-Identifier: GPL-3.0-or-later
// The piano roll: out-of-range notes in the warning colour, a click on a bar selects its
// token, the roll follows the edit fields and shows failures in itself, the fit line under it,
// and its export.
#include "melody/timeline.h"
#include "ui/piano_roll_view.h"
#include "window_helpers.h"

using belltower::melody::Hardware;
using belltower::ui::PianoRollView;
using namespace belltower::ui::testing;
using namespace Qt::StringLiterals;

class PianoRollTest : public QObject, WindowFixture {
    Q_OBJECT

private slots:
    void init() {
        Start();
        window_->resize(1100, 800);
        window_->show();
        Fill({{"Text4", "125"}, {"Text5", "4c5 4a4,  4c8 4p 4g4"}});
        window_->RefreshPianoRoll();
    }
    void cleanup() { Release(); }

    // c4 (0x73), a4 (0x7C) and c8 (0xA3, one above the top of every range) drawn into an image.
    void paintsOutOfRangeNotesInTheWarningColour() {
        PianoRollView view;
        view.SetTimeline(
            belltower::melody::BuildTimeline(belltower::formats::Bytes{0x73, 0x3C, 0x7C, 0x3C, 0xA3, 0x3C}));
        view.resize(400, 300);
        const std::pair<Hardware, std::array<bool, 3>> cases[] = {{Hardware::None, {false, false, false}},
                                                                  {Hardware::Phone, {true, false, true}},
                                                                  {Hardware::LogoManager, {false, false, true}}};
        for (const auto& [hardware, warned] : cases) {
            view.SetHardware(hardware);
            QImage image(view.size(), QImage::Format_RGB32);
            view.render(&image);
            for (std::size_t note = 0; note < 3; ++note) {
                const QColor want = warned.at(note) ? PianoRollView::WarningColour() : PianoRollView::NoteColour();
                QCOMPARE(image.pixelColor(view.BarRect(note).center().toPoint()), want);
            }
        }
        view.SetHardware(Hardware::Phone);
        QVERIFY(view.NoteTip(2).contains(u"it plays a6 at a tenth of the level"_s));
        QVERIFY(!view.NoteTip(1).contains(u"range"_s));
    }

    // Each bar, clicked, selects the token that wrote it; the pause and the blank have none.
    void clickingABarSelectsItsToken() {
        auto* roll = window_->pianoRoll;
        auto* notes = Find<QPlainTextEdit>(*window_, "Text5");
        const std::pair<std::size_t, const char*> cases[] = {{0, "4c5"}, {1, "4a4"}, {2, "4c8"}, {4, "4g4"}};
        for (const auto& [event, token] : cases) {
            window_->pianoRollPane->ensureVisible(static_cast<int>(roll->BarRect(event).center().x()), 0);
            QTest::mouseClick(roll, Qt::LeftButton, {}, roll->BarRect(event).center().toPoint());
            QCOMPARE(notes->textCursor().selectedText(), QLatin1String(token));
        }
    }

    // Typing redraws the roll after the pause; a melody that cannot be encoded is said in the
    // roll, with no message box (the prompter fails the test on any unscripted box).
    void followsTypingAndShowsFailuresInItself() {
        auto* roll = window_->pianoRoll;
        Set("Text5", u"4c5"_s);
        QTRY_COMPARE(roll->Shown().events.size(), std::size_t{2});  // the note and the closing delay
        Set("Text4", u"0"_s);
        QTRY_VERIFY(roll->Failure().contains(u"tempo of 0"_s));
        QCOMPARE(roll->Shown().events.size(), std::size_t{2});  // the last melody stays drawn
        Set("Text4", u"100"_s);
        QTRY_VERIFY(roll->Failure().isEmpty());
    }

    // The fit line follows the fields with the roll; with an image loaded it gives the room of
    // its TONE chunk: erased flash (0xFF) up to the data behind it, here exactly the 40-byte
    // record of the fields, then one byte less.
    void fitLineGivesTheFiguresAndTheImagesRoom() {
        auto* line = window_->fitLine;
        QVERIFY(line->text().startsWith(u"4 notes, 2.4 s; tone data 22 bytes;"_s));
        QVERIFY(line->toolTip().contains(u"Out of range for the phone (a4 to b7): c8, g4."_s));
        QVERIFY(line->toolTip().contains(u"The notes span 5 octaves (4 to 8); the Composer holds 3."_s));
        for (const std::size_t erased : {std::size_t{40}, std::size_t{39}}) {
            belltower::formats::Bytes tail(erased, 0xFF);
            tail.push_back(0x33);
            Load("in.fls", {Record(belltower::formats::TextFormat::Ascii, 1, "A")}, tail);
            QCOMPARE(line->text().endsWith(u"; firmware: %1 bytes free"_s.arg(erased)), erased == 40);
            QCOMPARE(line->toolTip().contains(u"the TONE chunk has 39 bytes free."_s), erased == 39);
        }
        Set("Text4", u"0"_s);
        QTRY_VERIFY(line->text().isEmpty());  // the roll says why
    }

    // The roll's picture through the save dialog; the View toggle is remembered.
    void exportsAndRemembersItsPane() {
        prompter_->AnswerFile(File("roll.svg"));
        window_->exportRollAction->trigger();
        QVERIFY(ReadAll(File("roll.svg"))
                    .contains("data-code=\"163\" data-start=\"116\" data-units=\"58\" "
                              "data-out-of-range=\"phone logomanager\""));
        window_->pianoRollAction->setChecked(false);
        QVERIFY(window_->pianoRollPane->isHidden());
        Fresh();
        QVERIFY(!window_->pianoRollAction->isChecked());
        QVERIFY(window_->pianoRollPane->isHidden());
    }
};

QTEST_MAIN(PianoRollTest)
#include "piano_roll_tests.moc"
