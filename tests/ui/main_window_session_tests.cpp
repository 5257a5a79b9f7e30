// What keeps the user's work in the main window: the "Save changes" question on every path
// that would replace modified work, the title, undo and redo of each kind of bank change,
// dropped RE files, playback errors and the recent files. The history itself is tested in
// the core (bank_history_test.cpp); here only the window's glue.
#include <QAction>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QStatusBar>
#include <QUrl>

#include "fake_player.h"
#include "support/image_builder.h"
#include "window_helpers.h"

using belltower::formats::Bytes;
using belltower::formats::TextFormat;
using belltower::ui::MainWindow;
using belltower::ui::MessageAnswer;
using namespace belltower::ui::testing;

namespace {

const Bytes kTones = {0x00, 0x02, 0xFC, 0x09, 0x0A, 0x01, 0x7F, 0x10, 0x0A, 0x0A, 0x07, 0x0B};

Bytes Record(std::uint32_t index, const char* name) {
    return belltower::testing::MakeRecord(TextFormat::Ascii, index, "ID", name, kTones);
}

Bytes Image(std::vector<Bytes> records) {
    belltower::testing::ImageLayout layout;
    layout.records = std::move(records);
    return belltower::testing::BuildImage(layout).image;
}

// How the question is answered, and how the save it may start ends.
enum class Answer { SaveWrites, SaveCancelled, SaveFails, Discard, Cancel };

}  // namespace

class MainWindowSessionTest : public QObject, WindowFixture {
    Q_OBJECT

private slots:
    void init() {
        Start();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        image_ = WriteAll(File("in.fls"), AsQBytes(Image({Record(1, "A"), Record(2, "B"), Record(3, "C")})));
    }
    void cleanup() { Release(); }

    // Every path that would replace modified work asks first; Save saves through the usual
    // dialog, and a save that is cancelled or fails keeps the work and stops the path.
    void modifiedWorkIsOfferedForSaving() {
        const struct {
            const char* path;
            bool bank;  // the bank is modified (else the melody fields)
        } paths[] = {{"close", true}, {"load", true}, {"close", false}, {"open", false}};
        const struct {
            Answer answer;
            bool goesOn;
        } answers[] = {{Answer::SaveWrites, true},
                       {Answer::SaveCancelled, false},
                       {Answer::SaveFails, false},
                       {Answer::Discard, true},
                       {Answer::Cancel, false}};
        for (const auto& p : paths) {
            for (const auto& a : answers) {
                const QString what = QStringLiteral("%1 %2 %3").arg(p.path).arg(p.bank).arg(int(a.answer));
                init();
                const QString melody = WriteAll(File("other.rtx"), "Other:d=4:c");
                Load(image_);
                if (p.bank) {
                    Click(0);
                    Press(Find<QPushButton>(*window_, "Command8"));
                } else {
                    Find<QLineEdit>(*window_, "Text1")->setText(QStringLiteral("Mine"));
                }
                const Bytes modified = window_->Bank().Records.front();
                const QString saved = File("saved.out");
                QFile::remove(saved);
                prompter_->AnswerMessage(a.answer == Answer::Discard  ? MessageAnswer::Discard
                                         : a.answer == Answer::Cancel ? MessageAnswer::Cancel
                                                                      : MessageAnswer::Save);
                if (a.answer == Answer::SaveWrites || a.answer == Answer::SaveFails) {
                    prompter_->AnswerFile(a.answer == Answer::SaveWrites ? saved : File("no/such/folder/x"));
                } else if (a.answer == Answer::SaveCancelled) {
                    prompter_->AnswerFile(std::nullopt);
                }
                if (a.answer == Answer::SaveFails) {
                    prompter_->AnswerMessage(MessageAnswer::Ok);
                }
                const std::string path = p.path;
                bool closed = false;
                if (path == "close") {
                    closed = window_->close();
                } else if (a.goesOn) {
                    prompter_->AnswerFile(path == "load" ? image_ : melody);
                }
                if (path != "close") {
                    Press(Find<QPushButton>(*window_, path == "load" ? "Command3" : "Command1"));
                }

                const QString question = prompter_->messages.at(0).text;
                QVERIFY2(question == (p.bank ? QStringLiteral("Save changes to \"in.fls\"?")
                                             : QStringLiteral("Save changes to the melody \"Mine\"?")),
                         qPrintable(question));
                QVERIFY2(QFile::exists(saved) == (a.answer == Answer::SaveWrites), qPrintable(what));
                if (path == "close") {
                    QVERIFY2(closed == a.goesOn && window_->isVisible() != a.goesOn, qPrintable(what));
                } else if (path == "load") {
                    QVERIFY2((window_->Bank().Count() == 3) == a.goesOn, qPrintable(what));
                } else {
                    QVERIFY2((Find<QLineEdit>(*window_, "Text1")->text() == QStringLiteral("Other")) == a.goesOn,
                             qPrintable(what));
                }
                if (!a.goesOn) {  // nothing of the work is lost
                    QVERIFY(window_->Bank().Records.front() == modified && window_->isWindowModified());
                }
            }
        }
    }

    void titleNamesTheFileAndMarksChanges() {
        const QString caption = QStringLiteral("Belltower v.1.1 by Quenby");
        QCOMPARE(window_->windowTitle(), caption + QStringLiteral("[*]"));
        const struct {
            const char* step;
            const char* title;
            bool modified;
        } steps[] = {
            {"load", "in.fls[*] - ", false}, {"delete", "in.fls[*] - ", true}, {"undo", "in.fls[*] - ", false},
            {"redo", "in.fls[*] - ", true},  {"save", "out.fls[*] - ", false}, {"type", "out.fls[*] - ", true},
        };
        for (const auto& s : steps) {
            const std::string step = s.step;
            if (step == "load") {
                Load(image_);
            } else if (step == "delete") {
                Click(1);
                Press(Find<QPushButton>(*window_, "Command8"));
            } else if (step == "undo") {
                window_->undoAction->trigger();
            } else if (step == "redo") {
                window_->redoAction->trigger();
            } else if (step == "save") {
                prompter_->AnswerFile(File("out.fls"));
                Press(Find<QPushButton>(*window_, "Command9"));
            } else {
                QTest::keyClicks(Find<QLineEdit>(*window_, "Text1"), QStringLiteral("x"));
            }
            QCOMPARE(window_->windowTitle(), QLatin1String(s.title) + caption);
            QVERIFY2(window_->isWindowModified() == s.modified, s.step);
        }
    }

    // Each kind of change is undone byte for byte with the list, the selection and the
    // details as they were, and redone as it was made.
    void undoAndRedoEveryKindOfChange() {
        const struct {
            const char* command;  // a button, or "drop"
            const char* undoText;
        } changes[] = {
            {"Command11", "&Undo Apply to \"B\""}, {"Command4", "&Undo Move Up \"B\""},
            {"Command5", "&Undo Move Down \"B\""}, {"Command6", "&Undo Replace \"New\""},
            {"Command7", "&Undo Insert \"New\""},  {"Command8", "&Undo Delete \"B\""},
            {"Command10", "&Undo Reindex"},        {"Command12", "&Undo Replace \"Imp\""},
            {"Command13", "&Undo Insert \"Imp\""}, {"drop", "&Undo Insert \"Imp\""},
        };
        for (const auto& c : changes) {
            init();
            const QString re = WriteAll(File("imp.re"), AsQBytes(Record(9, "Imp")));
            Load(WriteAll(File("odd.fls"), AsQBytes(Image({Record(7, "A"), Record(8, "B"), Record(9, "C")}))));
            Find<QLineEdit>(*window_, "Text1")->setText(QStringLiteral("New"));
            Find<QPlainTextEdit>(*window_, "Text5")->setPlainText(QStringLiteral("c d"));
            Click(1);
            Find<QLineEdit>(*window_, "Text10")->setText(QStringLiteral("Bee"));
            const belltower::bank::ToneBank before = window_->Bank();
            const QStringList panelBefore = Panel();
            const std::string command = c.command;
            if (command == "drop") {
                prompter_->AnswerMessage(MessageAnswer::Ok);
                Drop(re);
            } else {
                if (command == "Command12" || command == "Command13") {
                    prompter_->AnswerFile(re);
                }
                Press(Find<QPushButton>(*window_, c.command));
            }
            const belltower::bank::ToneBank after = window_->Bank();
            QVERIFY2(!(after == before), c.command);
            QCOMPARE(window_->undoAction->text(), QLatin1String(c.undoText));

            window_->undoAction->trigger();
            QVERIFY2(window_->Bank() == before, c.command);
            QCOMPARE(Find<QListWidget>(*window_, "List2")->currentRow(), 1);
            QCOMPARE(Panel().mid(1), panelBefore.mid(1));  // the typed name is shown as stored
            QCOMPARE(Panel().at(0), QStringLiteral("B"));
            window_->redoAction->trigger();
            QVERIFY2(window_->Bank() == after, c.command);
            QVERIFY(!window_->redoAction->isEnabled());
        }
    }

    void aLoadClearsTheHistory() {
        Load(image_);
        Click(0);
        Press(Find<QPushButton>(*window_, "Command8"));
        QVERIFY(window_->undoAction->isEnabled());
        prompter_->AnswerMessage(MessageAnswer::Discard);
        Load(image_);
        QVERIFY(!window_->undoAction->isEnabled() && !window_->isWindowModified());
        QCOMPARE(Panel(), QStringList({"", "", "", "", "", "Apply"}));
    }

    // An RE file dropped with no image loaded is refused; with one it is offered, and only
    // OK inserts it. Other binary files never reach the notes.
    void droppedFiles() {
        const QString re = WriteAll(File("drop.re"), AsQBytes(Record(5, "Dropped")));
        const QString binary = WriteAll(File("noise.bin"), QByteArray("\x01\x02\x00\x7F", 4));
        Drop(re, MessageAnswer::Ok);
        QVERIFY(prompter_->messages.back().text.contains(QStringLiteral("Load a firmware image first")));
        Drop(binary, MessageAnswer::Ok);
        QVERIFY(prompter_->messages.back().text.contains(QStringLiteral("noise.bin is neither")));
        QVERIFY(Find<QPlainTextEdit>(*window_, "Text5")->toPlainText().isEmpty());

        Load(image_);
        Drop(re, MessageAnswer::Cancel);
        QCOMPARE(window_->Bank().Count(), std::size_t{3});
        Click(2);
        Drop(re, MessageAnswer::Ok);
        QCOMPARE(Lines(Find<QListWidget>(*window_, "List2")), QStringList({"A", "B", "Dropped", "C"}));
        QCOMPARE(Panel().at(0), QStringLiteral("Dropped"));
    }

    // The player's error is shown once per preview; Stop stops it.
    void playbackErrorsAndStop() {
        FakePlayer player;
        window_->SetPreviewPlayer(player);
        Find<QPlainTextEdit>(*window_, "Text5")->setPlainText(QStringLiteral("c"));
        Press(Find<QPushButton>(*window_, "Command18"));
        player.Fail("No audio output device is available.");
        player.Fail("a second report of the same failure");
        QCOMPARE(window_->statusBar->currentMessage(),
                 QStringLiteral("The preview cannot be played: No audio output device is available."));
        Press(Find<QPushButton>(*window_, "stopButton"));
        QCOMPARE(player.calls, (std::vector<std::string>{"Stop", "Play", "Stop"}));
        Press(Find<QPushButton>(*window_, "Command18"));
        QVERIFY(window_->statusBar->currentMessage().isEmpty());
        QVERIFY(prompter_->messages.empty());
    }

    // Opened and saved files are kept for the next run, the last eight, newest first, as are
    // the dialogs' folders; a recent file opens from the menu.
    void recentFilesAndFoldersAreKept() {
        Load(image_);
        for (int i = 0; i < 9; ++i) {
            prompter_->AnswerFile(WriteAll(File(qPrintable(QStringLiteral("m%1.rtx").arg(i))), "Tune:d=4:c"));
            Press(Find<QPushButton>(*window_, "Command1"));
        }
        Fresh();
        QStringList names;
        for (QAction* action : window_->recentMenu->actions()) {
            names << action->text();
        }
        QCOMPARE(names.size(), 8);
        QCOMPARE(names.front(), QStringLiteral("&1 m8.rtx"));
        QCOMPARE(names.back(), QStringLiteral("&8 m1.rtx"));
        QCOMPARE(window_->openMelodyDialog.Folder(), folder_->path() + QLatin1Char('/'));
        QCOMPARE(window_->openFirmwareDialog.Folder(), folder_->path() + QLatin1Char('/'));
        QVERIFY(window_->saveRtxDialog.Folder().isEmpty());

        window_->recentMenu->actions().front()->trigger();
        QCOMPARE(Find<QLineEdit>(*window_, "Text1")->text(), QStringLiteral("Tune"));
        QCOMPARE(window_->windowTitle(), QStringLiteral("m8.rtx[*] - Belltower v.1.1 by Quenby"));
    }

private:
    QStringList Panel() const {
        const MainWindow& w = *window_;
        return {Find<QLineEdit>(w, "Text10")->text(), Find<QLineEdit>(w, "Text11")->text(),
                Find<QLineEdit>(w, "Text12")->text(), Find<QLineEdit>(w, "Text13")->text(),
                Find<QLabel>(w, "Label13")->text(),   Find<QPushButton>(w, "Command11")->text()};
    }
    void Load(const QString& path) {
        prompter_->AnswerFile(path);
        Press(Find<QPushButton>(*window_, "Command3"));
    }
    void Click(int row) {
        QListWidget* list = Find<QListWidget>(*window_, "List2");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    }
    // Drops the file on the window; answer, when given, is scripted for the box it brings.
    void Drop(const QString& path, std::optional<MessageAnswer> answer = std::nullopt) {
        if (answer) {
            prompter_->AnswerMessage(*answer);
        }
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(window_.get(), &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(window_.get(), &drop);
        QCoreApplication::processEvents();
    }

    QString image_;
};

QTEST_MAIN(MainWindowSessionTest)
#include "main_window_session_tests.moc"
