// What keeps the user's work in the main window: the "Save changes" question on every path
// that would replace modified work, the title, undo and redo of each kind of bank change,
// dropped files and the recent files. The history itself is tested in the core.
#include <QMenu>

#include "support/image_builder.h"
#include "window_helpers.h"

using belltower::formats::Bytes;
using belltower::formats::TextFormat;
using belltower::ui::MessageAnswer;
using namespace belltower::ui::testing;

class MainWindowSessionTest : public QObject, WindowFixture {
    Q_OBJECT

private slots:
    void init() {
        Start();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        image_ = WriteAll(File("in.fls"), Image({Record(TextFormat::Ascii, 7, "A"), Record(TextFormat::Ascii, 8, "B"),
                                                 Record(TextFormat::Ascii, 9, "C")}));
    }
    void cleanup() { Release(); }

    // Every path that would replace modified work asks first; Save saves through the usual
    // dialog, and a save that is cancelled or fails keeps the work and stops the path.
    void modifiedWorkIsOfferedForSaving() {
        enum class Answer { SaveWrites, SaveCancelled, SaveFails, Discard, Cancel };
        const std::pair<const char*, bool> paths[] = {
            {"close", true}, {"load", true}, {"close", false}, {"open", false}};
        const std::pair<Answer, bool> answers[] = {{Answer::SaveWrites, true},
                                                   {Answer::SaveCancelled, false},
                                                   {Answer::SaveFails, false},
                                                   {Answer::Discard, true},
                                                   {Answer::Cancel, false}};
        for (const auto& [path, bank] : paths) {
            for (const auto& [answer, goesOn] : answers) {
                const QString what = QStringLiteral("%1 %2 %3").arg(path).arg(bank).arg(int(answer));
                init();
                const QString melody = WriteAll(File("other.rtx"), "Other:d=4:c");
                Load(image_);
                if (bank) {
                    Click(0);
                    Press(*window_, "Command8");
                } else {
                    SetText(*window_, "Text1", QStringLiteral("Mine"));
                }
                const Bytes modified = window_->Bank().Records.front();
                const QString saved = File("saved.out");
                prompter_->AnswerMessage(answer == Answer::Discard  ? MessageAnswer::Discard
                                         : answer == Answer::Cancel ? MessageAnswer::Cancel
                                                                    : MessageAnswer::Save);
                if (answer == Answer::SaveWrites || answer == Answer::SaveFails) {
                    prompter_->AnswerFile(answer == Answer::SaveWrites ? saved : File("no/such/folder/x"));
                } else if (answer == Answer::SaveCancelled) {
                    prompter_->AnswerFile(std::nullopt);
                }
                if (answer == Answer::SaveFails) {
                    prompter_->AnswerMessage(MessageAnswer::Ok);
                }
                const bool close = qstrcmp(path, "close") == 0, load = qstrcmp(path, "load") == 0;
                const bool closed = close && window_->close();
                if (!close && goesOn) {
                    prompter_->AnswerFile(load ? image_ : melody);
                }
                if (!close) {
                    Press(*window_, load ? "Command3" : "Command1");
                }

                QCOMPARE(prompter_->messages.at(0).text, bank ? QStringLiteral("Save changes to \"in.fls\"?")
                                                              : QStringLiteral("Save changes to the melody \"Mine\"?"));
                QVERIFY2(QFile::exists(saved) == (answer == Answer::SaveWrites), qPrintable(what));
                const bool wentOn = close  ? closed && !window_->isVisible()
                                    : load ? window_->Bank().Count() == 3
                                           : Text(*window_, "Text1") == QStringLiteral("Other");
                QVERIFY2(wentOn == goesOn, qPrintable(what));
                // Nothing of the work is lost.
                QVERIFY(goesOn || (window_->Bank().Records.front() == modified && window_->isWindowModified()));
            }
        }
    }

    // The title names the open file and marks changes; a new load clears the history.
    void titleAndHistoryFollowTheWork() {
        const QString caption = QStringLiteral("Belltower v.1.1 by Quenby");
        const struct {
            const char* step;
            const char* title;
            bool modified;
        } steps[] = {
            {"load", "in.fls[*] - ", false},  {"delete", "in.fls[*] - ", true}, {"undo", "in.fls[*] - ", false},
            {"redo", "in.fls[*] - ", true},   {"save", "out.fls[*] - ", false}, {"type", "out.fls[*] - ", true},
            {"reload", "in.fls[*] - ", true},
        };
        for (const auto& s : steps) {
            const std::string step = s.step;
            if (step == "load" || step == "reload") {
                Load(image_);
            } else if (step == "delete") {
                Click(1);
                Press(*window_, "Command8");
            } else if (step == "undo" || step == "redo") {
                (step == "undo" ? window_->undoAction : window_->redoAction)->trigger();
            } else if (step == "save") {
                prompter_->AnswerFile(File("out.fls"));
                Press(*window_, "Command9");
            } else {
                QTest::keyClicks(Find(*window_, "Text1"), QStringLiteral("x"));
            }
            QCOMPARE(window_->windowTitle(), QLatin1String(s.title) + caption);
            QVERIFY2(window_->isWindowModified() == s.modified, s.step);
        }
        QVERIFY(!window_->undoAction->isEnabled() && !window_->IsBankModified());
    }

    // Each kind of change, from its button or menu command, is undone byte for byte with the
    // list, the selection and the details as they were, and redone as it was made.
    void undoAndRedoEveryKindOfChange() {
        const std::pair<const char*, const char*> changes[] = {
            {"Command11", "&Undo Apply to \"B\""},    {"Command4", "&Undo Move Up \"B\""},
            {"Command5", "&Undo Move Down \"B\""},    {"Command6", "&Undo Replace \"New\""},
            {"Command7", "&Undo Insert \"New\""},     {"Command8", "&Undo Delete \"B\""},
            {"&Delete Melody", "&Undo Delete \"B\""}, {"Command10", "&Undo Reindex"},
            {"Command12", "&Undo Replace \"Imp\""},   {"Command13", "&Undo Insert \"Imp\""},
            {"drop", "&Undo Insert \"Imp\""},
        };
        for (const auto& [command, undoText] : changes) {
            init();
            const QString re = WriteAll(File("imp.re"), AsQBytes(Record(TextFormat::Ascii, 9, "Imp")));
            Load(image_);
            SetText(*window_, "Text1", QStringLiteral("New"));
            SetText(*window_, "Text5", QStringLiteral("c d"));
            Click(1);
            SetText(*window_, "Text10", QStringLiteral("Bee"));
            const belltower::bank::ToneBank before = window_->Bank();
            const QStringList detailsBefore = Details();
            if (qstrcmp(command, "drop") == 0) {
                prompter_->AnswerMessage(MessageAnswer::Ok);
                Drop(window_.get(), {QUrl::fromLocalFile(re)});
            } else {
                if (qstrcmp(command, "Command12") == 0 || qstrcmp(command, "Command13") == 0) {
                    prompter_->AnswerFile(re);
                }
                Trigger(command);
            }
            const belltower::bank::ToneBank after = window_->Bank();
            QVERIFY2(!(after == before), command);
            QCOMPARE(window_->undoAction->text(), QLatin1String(undoText));

            window_->undoAction->trigger();
            QVERIFY2(window_->Bank() == before, command);
            QCOMPARE(Find<QListWidget>(*window_, "List2")->currentRow(), 1);
            QCOMPARE(Details().mid(1), detailsBefore.mid(1));  // the typed name is shown as stored
            QCOMPARE(Details().at(0), QStringLiteral("B"));
            window_->redoAction->trigger();
            QVERIFY2(window_->Bank() == after, command);
            QVERIFY(!window_->redoAction->isEnabled());
        }
    }

    // An RE file dropped with no image loaded is refused; with one it is offered, and only
    // OK inserts it. Other binary files never reach the notes; a ringtone file dropped on the
    // window or a box opens as at start-up, a web address does not.
    void droppedFiles() {
        const QString re = WriteAll(File("drop.re"), AsQBytes(Record(TextFormat::Ascii, 5, "Dropped")));
        prompter_->AnswerMessage(MessageAnswer::Ok);
        QVERIFY(Drop(window_.get(), {QUrl::fromLocalFile(re)}));
        QVERIFY(prompter_->messages.back().text.contains(QStringLiteral("Load a firmware image first")));
        prompter_->AnswerMessage(MessageAnswer::Ok);
        Drop(window_.get(), {QUrl::fromLocalFile(WriteAll(File("noise.bin"), QByteArray("\x01\x02\x00\x7F", 4)))});
        QVERIFY(prompter_->messages.back().text.contains(QStringLiteral("noise.bin is neither")));
        QVERIFY(Text(*window_, "Text5").isEmpty());

        Load(image_);
        prompter_->AnswerMessage(MessageAnswer::Cancel);
        Drop(window_.get(), {QUrl::fromLocalFile(re)});
        QCOMPARE(window_->Bank().Count(), std::size_t{3});
        Click(2);
        prompter_->AnswerMessage(MessageAnswer::Ok);
        Drop(window_.get(), {QUrl::fromLocalFile(re)});
        QCOMPARE(Text(*window_, "List2"), QStringLiteral("A|B|Dropped|C"));
        QCOMPARE(Details().at(0), QStringLiteral("Dropped"));

        const QString rtx = WriteAll(File("dropped.rtx"), "Dropped:d=16,o=5:c d e");
        const QUrl local = QUrl::fromLocalFile(rtx), web(QStringLiteral("https://example.org/a.rtx"));
        const std::pair<QWidget*, QUrl> drops[] = {{window_.get(), local},
                                                   {Find<QPlainTextEdit>(*window_, "Text5")->viewport(), local},
                                                   {Find(*window_, "Text1"), local},
                                                   {window_.get(), web}};
        for (const auto& [target, url] : drops) {
            SetText(*window_, "Text1", QStringLiteral("A"));
            if (url.isLocalFile()) {
                prompter_->AnswerMessage(MessageAnswer::Discard);  // the name typed above
            }
            QCOMPARE(Drop(target, {url, QUrl::fromLocalFile(File("second.rtx"))}), url.isLocalFile());
            QCOMPARE(Text(*window_, "Text1"), url.isLocalFile() ? QStringLiteral("Dropped") : QStringLiteral("A"));
            QCOMPARE(Text(*window_, "Text5"), QStringLiteral("c d e"));
        }
    }

    // Opened and saved files are kept for the next run, the last eight, newest first, as are
    // the dialogs' folders; a recent file opens from the menu.
    void recentFilesAndFoldersAreKept() {
        Load(image_);
        for (int i = 0; i < 9; ++i) {
            prompter_->AnswerFile(WriteAll(File(qPrintable(QStringLiteral("m%1.rtx").arg(i))), "Tune:d=4:c"));
            Press(*window_, "Command1");
        }
        Fresh();
        QStringList names;
        for (QAction* action : window_->recentMenu->actions()) {
            names << action->text();
        }
        QCOMPARE(names.size(), 8);
        QCOMPARE(names.front(), QStringLiteral("&1 m8.rtx"));
        QCOMPARE(names.back(), QStringLiteral("&8 m1.rtx"));
        QCOMPARE(window_->openMelodyDialog.Folder(), Folder() + QLatin1Char('/'));
        QCOMPARE(window_->openFirmwareDialog.Folder(), Folder() + QLatin1Char('/'));
        QVERIFY(window_->saveRtxDialog.Folder().isEmpty());

        window_->recentMenu->actions().front()->trigger();
        QCOMPARE(Text(*window_, "Text1"), QStringLiteral("Tune"));
        QCOMPARE(window_->windowTitle(), QStringLiteral("m8.rtx[*] - Belltower v.1.1 by Quenby"));
    }

private:
    QString image_;
};

QTEST_MAIN(MainWindowSessionTest)
#include "main_window_session_tests.moc"
