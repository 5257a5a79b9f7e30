// SPDX-License-Identifier: GPL-3.0-or-later
// The firmware melodies area of the main window and what keeps the user's work (the "Save
// changes" question, the title, undo and redo, dropped and recent files), through the controls
// with scripted dialogs and synthetic images. The bank's rules and history are tested in the core.
#include "bank/firmware_reader.h"
#include "bank/re_exchange.h"
#include "formats/record.h"
#include "interchange/melody_file.h"
#include "ui/piano_roll_view.h"
#include "window_helpers.h"

using belltower::formats::Bytes;
using belltower::formats::TextFormat;
constexpr auto Ascii = TextFormat::Ascii;
constexpr auto Unicode = TextFormat::Unicode;
using namespace belltower::ui;
using namespace belltower::ui::testing;
using namespace Qt::StringLiterals;
namespace bank = belltower::bank;

class MainWindowBankTest : public QObject, WindowFixture {
    Q_OBJECT

private slots:
    void init() {
        Start();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        image_ = WriteAll(File("in.fls"), Image({Record(Ascii, 7, "A"), Record(Ascii, 8, "B"), Record(Ascii, 9, "C")}));
    }
    void cleanup() { Release(); }

    // Load shows the list, the count and the image's header; a click shows the melody's
    // details; Apply and Save reach the core, and the saved image reads back as edited.
    void loadShowApplyAndSave() {
        Load("in.fls", {Record(Ascii, 1, "A"), Record(Ascii, 2, "B")});
        QCOMPARE(Shown({"List2", "Label12"}), QStringList({"A|B", "2"}));
        QVERIFY(Shown("email").startsWith(u"PPM NHM-5 V 5.31 synthetic test image"_s));
        Click(1);
        QCOMPARE(Details(), QStringList({"B", "ID", "2", "n/a", "Preview twice", "Apply to B"}));
        QVERIFY(Enabled("Command11") && !Enabled("Text13"));
        Set("Text10", u"Bee"_s);
        Press("Command11");
        QCOMPARE(Shown("List2"), u"A|Bee"_s);

        Choose("Command9", File("out.fls"));
        QVERIFY(prompter_->messages.empty());
        const bank::ToneBank edited = window_->Bank();
        prompter_->AnswerMessage(MessageAnswer::Ok);
        Load(File("missing.fls"));  // a failed load says why and changes nothing
        QVERIFY(prompter_->messages.at(0).text.contains(u"No such file or directory"_s));
        QVERIFY(window_->Bank() == edited && Shown("email").startsWith(u"PPM NHM-5"_s));
        Fresh();
        Load(File("out.fls"));
        QVERIFY(window_->Bank().Records == edited.Records && window_->Bank().FirmwareHead == edited.FirmwareHead);
    }

    // "Keep TONE chunk" keeps the list across a load until the formats differ; a Unicode
    // melody's purpose can be edited.
    void keepingTheBankAcrossLoads() {
        Load("a.fls", {Record(Ascii, 1, "A")});
        Find<QCheckBox>(*window_, "Check4")->setChecked(true);
        Load(image_);
        QCOMPARE(Shown("List2"), u"A"_s);
        prompter_->AnswerMessage(MessageAnswer::Ok);
        Load("u.fls", {Record(Unicode, 1, "U", 2), Record(Unicode, 2, "V")});
        QCOMPARE(prompter_->messages.at(0).text.toStdString(), std::string(bank::kDifferentFormats));
        QVERIFY(!Find<QCheckBox>(*window_, "Check4")->isChecked());
        QCOMPARE(Shown("List2"), u"U|V"_s);
        Click(0);
        QVERIFY(Enabled("Text13") && Shown("Text13") == u"2"_s);
    }

    // The save's warnings are shown with their icon and buttons; Cancel on a grown chain stops it.
    void saveWarnings() {
        Load("in.fls", {Record(Ascii, 1, "A")}, Bytes(64, 0x33));
        Click(0);
        Fill({{"Text5", "c"}, {"Text8", "2"}});
        Press("Command7");
        prompter_->AnswerMessage(MessageAnswer::Cancel);
        const std::size_t asked = prompter_->fileRequests.size();
        Press("Command9");
        QCOMPARE(prompter_->messages.back().buttons, MessageButtons::OkCancel);
        QCOMPARE(prompter_->messages.back().icon, MessageIcon::Exclamation);
        QCOMPARE(prompter_->fileRequests.size(), asked);
    }

    // Export suggests the melody's name and the bank's format; the name chosen says the format
    // (.mid and .ott, else RE in the format chosen next). A cancelled dialog writes nothing.
    void exportWritesTheChosenFormat() {
        const Bytes record = Encoded("4c 8e 8g", Ascii, "Tune");
        ShowBank({record}, {"Tune"});
        const auto mid = belltower::interchange::WriteMelodyRecord(record, belltower::interchange::MelodyOutput::Mid);
        // The file chosen (none: the dialog is cancelled), the format chosen if asked, what is written.
        const std::tuple<const char*, std::optional<std::optional<TextFormat>>, QByteArray> cases[] = {
            {"tune.re", Unicode, AsQBytes(bank::RecordToUnicode(record).value())},
            {nullptr, std::nullopt, "old"},
            {"tune.re", std::optional<TextFormat>(), "old"},
            {"tune.mid", std::nullopt, AsQBytes(mid.value().bytes)}};
        for (const auto& [file, format, written] : cases) {
            const QString path = WriteAll(File(file ? file : "tune.re"), "old");
            if (format) {
                prompter_->AnswerTextFormat(*format);
            }
            Click(0);
            Choose("Command14", file ? std::optional(path) : std::nullopt);
            QCOMPARE(prompter_->fileRequests.back().fileName, u"Tune"_s);
            QCOMPARE(ReadAll(path), written);
        }
        QCOMPARE(prompter_->formatSuggestions, std::vector<TextFormat>(2, Ascii));
    }

    // A firmware melody opens in the edit fields with a double click or Edit in the list's
    // menu, after the question about unsaved fields.
    void melodyFromTheBankOpensInTheFields() {
        const Bytes record = Encoded("4c 8d#6 4.e t200 1c5 16p g", Unicode, "Tune");
        Load("u.fls", {record, Record(Unicode, 2, "B")});
        Click(0);
        Click(0, true);
        const auto decoded = belltower::interchange::ReadMelodyRecord(record).fields;
        QVERIFY(window_->EditFields() == decoded);

        Set("Text5", u"4c 4d"_s);
        prompter_->AnswerMessage(MessageAnswer::Discard);
        QAction* edit = Find<QListWidget>(*window_, "List2")->actions().first();
        QCOMPARE(edit->text(), u"&Edit"_s);
        edit->trigger();
        QVERIFY(window_->EditFields() == decoded);
    }

    // An RE file that is refused (replace or insert) changes nothing and says why; a damaged
    // record in the list is shown as damaged, with nothing to apply.
    void refusedAndDamagedRecords() {
        Load("u.fls", {Record(Unicode, 5, "Old", 2)});
        const bank::ToneBank before = window_->Bank();
        for (const char* command : {"Command12", "Command13"}) {
            Click(0);
            prompter_->AnswerMessage(MessageAnswer::Ok);
            Choose(command, WriteAll(File("bad.re"), QByteArray(7, '\0')));
            QVERIFY2(window_->Bank() == before && Shown("List2") == u"Old"_s, command);
        }

        const Bytes damaged = Record(Ascii, 2, "B");
        ShowBank({Record(Ascii, 1, "A"), Bytes(damaged.begin(), damaged.begin() + 12)}, {"A", "B"});
        Click(1);
        QVERIFY(Shown("Label13").startsWith(u"Damaged melody record: "_s));
        QVERIFY(Shown("Text10").isEmpty() && !Enabled("Command11"));
    }

    // Every path that would replace modified work asks first; Save saves through the usual
    // dialog (a name without extension gets the first type's), and a save that is cancelled or
    // fails keeps the work and stops the path.
    void modifiedWorkIsOfferedForSaving() {
        const std::pair<const char*, bool> paths[] = {
            {"close", true}, {"load", true}, {"close", false}, {"open", false}};
        // The answer, the save dialog's answer (none: not asked, "": cancelled), whether the path goes on.
        const std::tuple<MessageAnswer, const char*, bool> answers[] = {
            {MessageAnswer::Save, "saved", true},
            {MessageAnswer::Save, "", false},
            {MessageAnswer::Save, "no/such/folder/x", false},
            {MessageAnswer::Discard, nullptr, true},
            {MessageAnswer::Cancel, nullptr, false}};
        for (const auto& [path, bank] : paths) {
            for (const auto& [answer, file, goesOn] : answers) {
                Restart();
                bank ? (Click(0), Press("Command8")) : Set("Text1", u"Mine"_s);
                const Bytes modified = window_->Bank().Records.front();
                prompter_->AnswerMessage(answer);
                if (file != nullptr) {
                    prompter_->AnswerFile(*file != 0 ? std::optional(File(file)) : std::nullopt);
                    if (qstrcmp(file, "no/such/folder/x") == 0) {
                        prompter_->AnswerMessage(MessageAnswer::Ok);  // the failed save
                    }
                }
                const bool close = qstrcmp(path, "close") == 0, load = qstrcmp(path, "load") == 0;
                if (!close && goesOn) {
                    prompter_->AnswerFile(load ? image_ : WriteAll(File("other.rtx"), "Other:d=4:c"));
                }
                const bool closed = close ? window_->close() : (Press(load ? "Command3" : "Command1"), false);

                QCOMPARE(prompter_->messages.at(0).text,
                         bank ? u"Save changes to \"in.fls\"?"_s : u"Save changes to the melody \"Mine\"?"_s);
                QCOMPARE(QFile::exists(File(bank ? "saved.fls" : "saved.ert")), qstrcmp(file, "saved") == 0);
                const bool wentOn = close  ? closed && !window_->isVisible()
                                    : load ? window_->Bank().Count() == 3
                                           : Shown("Text1") == u"Other"_s;
                QVERIFY2(wentOn == goesOn, path);
                // Nothing of the work is lost.
                QVERIFY(goesOn || (window_->Bank().Records.front() == modified &&
                                   (bank ? window_->isWindowModified() : window_->AreFieldsModified())));
            }
        }
    }

    // The title names the open file and marks the image's changes, the melody group its own;
    // a new load clears the history.
    void titleAndHistoryFollowTheWork() {
        const auto load = [&] { Load(image_); };
        // The step, the title before the program's caption, the image marked modified, the melody group's title.
        const std::tuple<std::function<void()>, const char*, bool, const char*> steps[] = {
            {load, "in.fls[*] - ", false, "Melody"},
            {[&] { Click(1), Press("Command8"); }, "in.fls[*] - ", true, "Melody"},
            {[&] { window_->undoAction->trigger(); }, "in.fls[*] - ", false, "Melody"},
            {[&] { window_->redoAction->trigger(); }, "in.fls[*] - ", true, "Melody"},
            {[&] { QTest::keyClicks(Find(*window_, "Text1"), u"x"_s); }, "in.fls[*] - ", true, "Melody *"},
            {[&] { Choose("Command9", File("out.fls")); }, "out.fls[*] - ", false, "Melody *"},
            {load, "in.fls[*] - ", false, "Melody *"}};
        for (const auto& [step, title, modified, melody] : steps) {
            step();
            QCOMPARE(window_->windowTitle(), QLatin1String(title) + u"Belltower v.1.1 by Quenby"_s);
            QCOMPARE(window_->isWindowModified(), modified);
            QCOMPARE(window_->melodyBox->title(), QLatin1String(melody));
        }
        QVERIFY(!window_->undoAction->isEnabled() && !window_->IsBankModified());
    }

    // Each kind of change, from its button or menu command, is undone byte for byte with the
    // list, the selection and the details as they were, and redone as it was made.
    void undoAndRedoEveryKindOfChange() {
        // The command, its undo step, what the status bar says.
        const std::tuple<const char*, const char*, const char*> changes[] = {
            {"Command11", "&Undo Apply to \"B\"", "Applied the changes to \"Bee\""},
            {"Command4", "&Undo Move Up \"B\"", "Moved \"B\" up"},
            {"Command5", "&Undo Move Down \"B\"", "Moved \"B\" down"},
            {"Command6", "&Undo Replace \"New\"", "Replaced \"New\""},
            {"Command7", "&Undo Insert \"New\"", "Inserted \"New\""},
            {"Command8", "&Undo Delete \"B\"", "Deleted \"B\""},
            {"&Delete Melody", "&Undo Delete \"B\"", "Deleted \"B\""},
            {"Command10", "&Undo Reindex", "Reindexed 3 melodies: each index is now its place in the list"},
            {"Command12", "&Undo Replace \"Imp\"", "Replaced \"Imp\""},
            {"Command13", "&Undo Insert \"Imp\"", "Inserted \"Imp\""},
            {"drop", "&Undo Insert \"Imp\"", "Inserted \"Imp\""},
        };
        for (const auto& [command, undoText, said] : changes) {
            Restart();
            const QString re = WriteAll(File("imp.re"), AsQBytes(Record(Ascii, 9, "Imp")));
            Fill({{"Text1", "New"}, {"Text5", "c d"}});
            Click(1);
            Set("Text10", u"Bee"_s);
            const bank::ToneBank before = window_->Bank();
            const QStringList detailsBefore = Details();
            const std::string_view name = command;
            if (name == "drop") {
                prompter_->AnswerMessage(MessageAnswer::Ok);
                Drop(window_.get(), {QUrl::fromLocalFile(re)});
            } else {
                name == "Command12" || name == "Command13" ? Choose(command, re) : Press(command);
            }
            const bank::ToneBank after = window_->Bank();
            QVERIFY2(!(after == before), command);
            QCOMPARE(window_->undoAction->text(), QLatin1String(undoText));
            QCOMPARE(Status(), QLatin1String(said));

            window_->undoAction->trigger();
            QCOMPARE(Status(), u"Undone: "_s + QLatin1String(undoText).mid(6));
            QVERIFY2(window_->Bank() == before, command);
            QCOMPARE(Find<QListWidget>(*window_, "List2")->currentRow(), 1);
            QCOMPARE(Details(), QStringList(u"B"_s) + detailsBefore.mid(1));  // the typed name is shown as stored
            window_->redoAction->trigger();
            QVERIFY2(window_->Bank() == after, command);
            QVERIFY(!window_->redoAction->isEnabled());
        }
    }

    // An RE file dropped with no image loaded is refused; with one it is offered (OK inserts it,
    // see the undo table). Other binary files never reach the notes; a ringtone file dropped on the
    // window or a box opens as at start-up, a web address does not.
    void droppedFiles() {
        const QString re = WriteAll(File("drop.re"), AsQBytes(Record(Ascii, 5, "Dropped")));
        prompter_->AnswerMessage(MessageAnswer::Ok);
        QVERIFY(Drop(window_.get(), {QUrl::fromLocalFile(re)}));
        QVERIFY(prompter_->messages.back().text.contains(u"Load a firmware image first"_s));
        prompter_->AnswerMessage(MessageAnswer::Ok);
        Drop(window_.get(), {QUrl::fromLocalFile(WriteAll(File("noise.bin"), QByteArray("\x01\x02\x00\x7F", 4)))});
        QVERIFY(prompter_->messages.back().text.contains(u"noise.bin is neither"_s));
        QVERIFY(Shown("Text5").isEmpty());

        Load(image_);
        prompter_->AnswerMessage(MessageAnswer::Cancel);
        Drop(window_.get(), {QUrl::fromLocalFile(re)});
        QCOMPARE(window_->Bank().Count(), std::size_t{3});
        const QUrl local = QUrl::fromLocalFile(WriteAll(File("dropped.rtx"), "Dropped:d=16,o=5:c d e"));
        const std::pair<QWidget*, QUrl> drops[] = {{window_.get(), local},
                                                   {Find<QPlainTextEdit>(*window_, "Text5")->viewport(), local},
                                                   {Find(*window_, "Text1"), local},
                                                   {window_.get(), QUrl(u"https://example.org/a.rtx"_s)}};
        for (const auto& [target, url] : drops) {
            Set("Text1", u"A"_s);
            if (url.isLocalFile()) {
                prompter_->AnswerMessage(MessageAnswer::Discard);  // the name typed above
            }
            QCOMPARE(Drop(target, {url, QUrl::fromLocalFile(File("second.rtx"))}), url.isLocalFile());
            QCOMPARE(Shown({"Text1", "Text5"}), QStringList({url.isLocalFile() ? "Dropped" : "A", "c d e"}));
        }
    }

    // Opened and saved files are kept for the next run, the last eight, newest first, as are
    // the dialogs' folders; a recent file opens from the menu.
    void recentFilesAndFoldersAreKept() {
        Load(image_);
        for (int i = 0; i < 9; ++i) {
            Choose("Command1", WriteAll(File(qPrintable(u"m%1.rtx"_s.arg(i))), "Tune:d=4:c"));
        }
        Fresh();
        const QList<QAction*> recent = window_->recentMenu->actions();
        QCOMPARE(recent.size(), 8);
        QCOMPARE(QStringList({recent.front()->text(), recent.back()->text()}), QStringList({"&1 m8.rtx", "&8 m1.rtx"}));
        QCOMPARE(window_->openMelodyDialog.Folder(), Folder() + QLatin1Char('/'));
        QCOMPARE(window_->openFirmwareDialog.Folder(), Folder() + QLatin1Char('/'));
        QVERIFY(window_->saveRtxDialog.Folder().isEmpty());

        recent.front()->trigger();
        QCOMPARE(Shown("Text1"), u"Tune"_s);
        QCOMPARE(window_->windowTitle(), u"m8.rtx[*] - Belltower v.1.1 by Quenby"_s);
    }

    // Save dialogs write the type chosen: a typed extension of a known type wins, else the
    // chosen type's extension is added; All Files keeps the name. Each write is said.
    void saveDialogsWriteTheChosenType() {
        Load(image_);
        // The command, the name typed, the type chosen, the file written and how it starts.
        const std::tuple<const char*, const char*, qsizetype, const char*, QByteArray> cases[] = {
            {"Command14", "Kylie", 1, "Kylie.mid", "MThd"},
            {"Command14", "Kylie.mid", 0, "Kylie.mid", "MThd"},
            {"Command14", "Kylie.zip", 0, "Kylie.zip.re", ""},
            {"Command14", "Kylie", 3, "Kylie.imy", "BEGIN:IMELODY"},
            {"Command14", "Kylie.txt", 0, "Kylie.txt", "Name: "},
            {"Command9", "phone3310-edited", 0, "phone3310-edited.fls", ""},
            {"Command9", "edited.bin", 1, "edited.bin", ""},
            {"&Export Piano Roll...", "My Tune", 0, "My Tune.svg", "<"},
            {"Command15", "tune", 1, "tune.rtx", ":d="},
        };
        for (const auto& [command, typed, filter, written, start] : cases) {
            Click(0);
            if (QByteArray(written).endsWith(".re")) {
                prompter_->AnswerTextFormat(Ascii);
            }
            Choose(command, File(typed), filter);
            QVERIFY2(QFile::exists(File(written)) && ReadAll(File(written)).startsWith(start), written);
            QVERIFY2(Status().contains(QLatin1String(written)), written);
        }
        QCOMPARE(window_->exportReDialog.Filters().at(1), u"MIDI file (*.mid *.MID *.midi *.MIDI)"_s);
    }

    // Ctrl+S saves the open image over itself, Ctrl+Shift+S asks with its name; with no image
    // Ctrl+S saves the melody. Closing asks about the melody alone once the image is saved.
    void saveInPlaceAndOneMarkEach() {
        QCOMPARE(window_->saveAction->shortcut(), QKeySequence(u"Ctrl+S"_s));
        QCOMPARE(window_->saveFirmwareAction->shortcut(), QKeySequence(u"Ctrl+Shift+S"_s));
        Set("Text1", u"Mine"_s);
        prompter_->AnswerFile(std::nullopt);
        window_->saveAction->trigger();
        QCOMPARE(prompter_->fileRequests.back().title, u"Save RTX File..."_s);
        Load(image_);
        Click(0);
        Press("Command8");
        window_->saveAction->trigger();
        QCOMPARE(prompter_->fileRequests.size(), std::size_t{2});
        QCOMPARE(Status(), u"Saved in.fls: 2 melodies"_s);
        QVERIFY(!window_->isWindowModified() && window_->melodyBox->title() == u"Melody *"_s);
        prompter_->AnswerFile(std::nullopt);
        window_->saveFirmwareAction->trigger();
        QCOMPARE(prompter_->fileRequests.back().fileName, image_);
        prompter_->AnswerMessage(MessageAnswer::Cancel);
        QVERIFY(!window_->close());
        QCOMPARE(prompter_->messages.size(), std::size_t{1});
        QCOMPARE(prompter_->messages.back().text, u"Save changes to the melody \"Mine\"?"_s);
        Fresh();
        Load(image_);
        QCOMPARE(Shown("List2"), u"B|C"_s);
    }

    // Insert moves a taken index to the next free one and says so; "Reindex now" on the save's
    // shared-index warning mends the indexes; an empty ID shows empty and typing fills it.
    void indexAndIdTraps() {
        const auto indexes = [&] {
            QList<int> shown;
            for (const Bytes& record : window_->Bank().Records) {
                shown << *belltower::formats::RecordIndex(record);
            }
            return shown;
        };
        Load(image_);
        Click(0);
        Fill({{"Text1", "New"}, {"Text5", "c"}, {"Text8", "8"}});
        Press("Command7");
        QCOMPARE(indexes(), QList<int>({10, 7, 8, 9}));
        QCOMPARE(Status(), u"Inserted \"New\" with index 10: 8 belongs to another melody"_s);

        Fresh();
        Load(image_);
        Click(0);
        Set("Text12", u"9"_s);
        Press("Command11");
        prompter_->AnswerMessage(MessageAnswer::Action);
        Choose("Command9", File("out.fls"));
        QCOMPARE(prompter_->messages.size(), std::size_t{1});
        QCOMPARE(prompter_->messages[0].action, u"Reindex now"_s);
        QCOMPARE(indexes(), QList<int>({1, 2, 3}));
        QVERIFY(QFile::exists(File("out.fls")));

        const Bytes blankId =
            belltower::testing::MakeRecord(Ascii, 1, "    ", "A", Bytes{0x0A, 0x01, 0x7F, 0x10, 0x07, 0x0B});
        ShowBank({blankId, Record(Ascii, 2, "B")}, {"A", "B"});
        Click(1);
        Press("Command11");  // an ID left as shown keeps its bytes
        QCOMPARE(window_->Bank().Records[1], Record(Ascii, 2, "B"));
        Click(0);
        QCOMPARE(Shown("Text11"), QString());
        QTest::keyClicks(Find(*window_, "Text11"), u"AB"_s);
        QTest::keyClick(Find(*window_, "Text11"), Qt::Key_Return);  // Enter applies
        QCOMPARE(AsQBytes(window_->Bank().Records[0]).mid(8, 4), QByteArray("AB  "));
    }

    // Edits typed into the details survive a click on another melody unless the user says:
    // Apply stores them, Discard drops them, Cancel stays on the melody with its edits. Enter
    // applies them.
    void unappliedEditsAreAskedAbout() {
        const std::tuple<MessageAnswer, const char*, int, const char*> cases[] = {
            {MessageAnswer::Apply, "Bee|B|C", 1, "B"},
            {MessageAnswer::Discard, "A|B|C", 1, "B"},
            {MessageAnswer::Cancel, "A|B|C", 0, "Bee"},
        };
        for (const auto& [answer, lines, row, shown] : cases) {
            Restart();
            Click(0);
            Set("Text10", u"Bee"_s);
            prompter_->AnswerMessage(answer);
            Click(1);
            QCOMPARE(prompter_->messages.at(0).buttons, MessageButtons::ApplyDiscardCancel);
            QCOMPARE(Shown({"List2", "Text10"}), QStringList({lines, shown}));
            QCOMPARE(Find<QListWidget>(*window_, "List2")->currentRow(), row);
        }
        // Enter applies; Ctrl+Z in the box, which has nothing of its own to undo, undoes that.
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        QTest::keyClick(Find(*window_, "Text10"), Qt::Key_Return);
        QCOMPARE(Shown("List2"), u"Bee|B|C"_s);  // the Cancel above kept A on show
        QTest::keyClick(Find(*window_, "Text10"), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Shown("List2"), u"A|B|C"_s);
    }

    // Commands act only when they can: none of the bank's without a bank, a melody's only with
    // one selected. A nameless melody reads "(no name)" in grey; a deleted one leaves the roll.
    void commandsActOnlyWhenTheyCan() {
        const auto enabled = [&] {
            QString shown;
            for (const char* name : {"Command4", "Command5", "Command6", "Command12", "Command8", "Command14",
                                     "Command17", "Command7", "Command13", "Command10", "Command9", "Command3"}) {
                shown += Enabled(name) ? QLatin1Char('1') : QLatin1Char('0');
            }
            return shown;
        };
        QCOMPARE(enabled(), u"000000000001"_s);
        Load("n.fls", {Record(Ascii, 1, "A"), Record(Ascii, 2, "")});
        QCOMPARE(enabled(), u"000000011111"_s);
        QCOMPARE(Shown("List2"), u"A|(no name)"_s);
        QVERIFY(window_->Bank().Lines[1].empty());
        auto* list = Find<QListWidget>(*window_, "List2");
        QVERIFY(list->item(1)->foreground() != list->item(0)->foreground());
        Click(0);
        QCOMPARE(enabled(), u"011111111111"_s);

        Set("Text5", u"1c 1d 1e"_s);
        window_->RefreshPianoRoll();
        const std::uint64_t fields = window_->pianoRoll->Shown().units;
        Click(0);
        QVERIFY(window_->pianoRoll->Shown().units != fields);
        Press("Command8");
        QCOMPARE(window_->pianoRoll->Shown().units, fields);
    }

private:
    void Restart() { init(), Load(image_); }
    QString image_;
};

QTEST_MAIN(MainWindowBankTest)
#include "main_window_bank_tests.moc"
