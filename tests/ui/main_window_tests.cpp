// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's melody area and preview through its controls: each command reaches its
// dialog and the core, what the window shows at start, files in and out, start-up files.
#include "ui/help_guide.h"
#include "ui/piano_roll_view.h"
#include "window_helpers.h"

using belltower::formats::TextFormat;
using belltower::melody::MelodyFields;
using namespace belltower::ui;
using namespace belltower::ui::testing;
using namespace Qt::StringLiterals;

class MainWindowTest : public QObject, WindowFixture {
    Q_OBJECT

private slots:
    void initTestCase() {
        // The tests bring their own session runtime directory for the private preview folder.
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime_.path().string()));
    }
    void init() {
        Start();
        player_ = std::make_unique<FakePlayer>();
        window_->SetPreviewPlayer(*player_);
    }
    void cleanup() { Release(); }

    void initialState() {
        const QStringList shown =
            Shown({"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text8", "Text9", "zbyva", "zbyva2",
                   "Combo1", "List1", "List2", "Label12", "Command11", "email"});
        QCOMPARE(shown.join(QLatin1Char('|')),
                 u"|8|6|140|||1|1|0|14|14|Phone||||Apply|Belltower 1.1, melodies for Nokia DCT3 phones"_s);
        QVERIFY(window_->EditFields() == MelodyFields{});
        for (const QCheckBox* box : window_->findChildren<QCheckBox*>()) {
            QVERIFY2(box->isChecked() == (box->objectName() == QLatin1String("Check5")), qPrintable(box->objectName()));
        }
        QVERIFY(!Enabled("Command11") && !Enabled("Text13") && Find(*window_, "ascii")->isHidden());
        QCOMPARE(window_->windowTitle(), u"Belltower v.1.1 by Quenby[*]"_s);
    }

    // Each button and menu command that asks for a file asks with its own dialog; cancelled,
    // it changes nothing.
    void commandsAskWithTheirDialogs() {
        Load("in.fls", {Record(TextFormat::Ascii, 1, "A")});
        Click(0);
        // A button, the menu command or other button of the same dialog (none: the button again), the title.
        const std::tuple<const char*, const char*, const char*> commands[] = {
            {"Command1", "&Open Melody...", "Open Melody File..."},
            {"Command15", "Save &Melody...", "Save RTX File..."},
            {"Command2", "Save as &RE...", "Save Raw File..."},
            {"Command3", "&Load Firmware...", "Open Firmware File..."},
            {"Command9", "Save Firmware &As...", "Save FirmWare As..."},
            {"Command12", "Command13", "Open raw File..."},
            {"Command14", nullptr, "Export raw melody from firmware..."},
            {"&Export Piano Roll...", nullptr, "Export Piano Roll..."}};
        for (const auto& [button, other, title] : commands) {
            for (const char* command : {button, other != nullptr ? other : button}) {
                Choose(command, std::nullopt);
                QVERIFY2(prompter_->fileRequests.back().title == QLatin1String(title), command);
            }
        }
        QCOMPARE(Shown("List2"), u"A"_s);
        QVERIFY(prompter_->messages.empty() && !window_->isWindowModified());
    }

    // Save as RTX and Open RTX keep every byte of the notes but the line ends, and set texts
    // whole, past the typing limit. A file that cannot be read empties only the notes.
    void saveThenOpenRestoresTheFields() {
        MelodyFields fields{.name = std::string(40, 'N') + "\xE9",
                            .duration = "16",
                            .octave = "5",
                            .tempo = "137.5",
                            .notes = "",
                            .id = "B\xE9L ",
                            .delay = "15",
                            .index = "42",
                            .staccato = "6",
                            .forceOnePlay = true};
        for (int byte = 0; byte < 256; ++byte) {
            fields.notes += byte == '\r' || byte == '\n' ? "" : std::string(1, static_cast<char>(byte));
        }
        window_->SetEditFields(fields);
        QVERIFY(window_->EditFields() == fields);
        Choose("Command15", File("a.rtx"));
        QCOMPARE(prompter_->fileRequests.at(0).fileName, Shown("Text1"));
        Fresh();
        Set("Text1", u"Old"_s);
        prompter_->AnswerMessage(MessageAnswer::Discard);  // the edit above
        Choose("Command1", File("a.rtx"));
        QVERIFY(window_->EditFields() == fields);

        QVERIFY(QFile::remove(File("a.rtx")));
        Choose("Command1", File("a.rtx"));
        fields.notes.clear();
        QVERIFY(window_->EditFields() == fields);
        prompter_->AnswerMessage(MessageAnswer::Ok);
        Choose("Command15", File("no-such-folder/a.rtx"));
        QCOMPARE(prompter_->messages.size(), std::size_t{2});  // the Discard question, the failure
        QVERIFY(prompter_->messages.back().text.contains(u"No such file or directory"_s));
    }

    // The counters show the characters left of 14, blue at none and red below; typing stops at
    // a box's limit.
    void countersAndTypingLimits() {
        const std::tuple<int, const char*, QColor> steps[] = {{13, " 1", QColor(0, 0, 0)},
                                                              {14, " 0", QColor(0, 0, 200)},
                                                              {15, "-1", QColor(200, 0, 0)},
                                                              {0, " 14", QColor(0, 0, 0)}};
        for (const auto& [box, counter] : {std::pair{"Text1", "zbyva"}, std::pair{"Text10", "zbyva2"}}) {
            for (const auto& [length, caption, colour] : steps) {
                while (Shown(box).size() != length) {  // one key at a time, as a user types
                    QTest::keyClick(Find(*window_, box), Shown(box).size() < length ? Qt::Key_M : Qt::Key_Backspace);
                }
                QCOMPARE(Shown(counter), QLatin1String(caption));
                QCOMPARE(Find(*window_, counter)->palette().color(QPalette::WindowText), colour);
            }
        }
        for (const auto& [box, typed, kept] : {std::tuple{"Text3", 2, 1}, std::tuple{"Text1", 31, 30}}) {
            Set(box, QString());
            QTest::keyClicks(Find(*window_, box), QString(typed, QLatin1Char('5')));
            QCOMPARE(Shown(box).size(), kept);
        }
    }

    // Up to 64000 bytes a melody, above a firmware image; what cannot be opened is ignored.
    // No dialog folder changes.
    void startUpRouting() {
        const auto big = [&](const char* name, qsizetype size) {
            return WriteAll(File(name), QByteArray("Big:d=4:c d e\r\n").leftJustified(size, '\xFF'));
        };
        const QString large = big("large.bin", 64001);
        const std::tuple<QString, const char*, QString> cases[] = {
            {big("small.bin", 64000), "c d e", {}},
            {large, "keep", large + u" doesn't contain PPM section or is not in Dejan/RAW format!"_s},
            {u'"' + WriteAll(File("a b.rtx"), "Quoted:d=16:e") + u'"', "e", {}},
            {File("missing.rtx"), "keep", {}},
            {Folder(), "keep", {}},
            {u"\""_s, "keep", {}}};
        for (const auto& [argument, notes, message] : cases) {
            Fresh();
            Set("Text5", u"keep"_s);
            if (!message.isEmpty()) {
                prompter_->AnswerMessage(MessageAnswer::Ok);
            }
            window_->OpenStartupFile(argument);
            QVERIFY2(Shown("Text5") == QLatin1String(notes), qPrintable(argument));
            QCOMPARE(prompter_->messages.empty() ? QString() : prompter_->messages[0].text, message);
            QVERIFY(window_->openMelodyDialog.Folder().isEmpty() && window_->openFirmwareDialog.Folder().isEmpty());
        }
    }

    // Save as RE suggests the name and the bank's format and writes the format chosen; a
    // cancelled dialog or a melody that cannot be encoded writes nothing.
    void saveAsRe() {
        const std::optional<TextFormat> cancelled, ascii = TextFormat::Ascii, unicode = TextFormat::Unicode;
        const std::tuple<TextFormat, std::optional<std::optional<TextFormat>>, const char*> cases[] = {
            {TextFormat::Ascii, unicode, "140"},
            {TextFormat::Unicode, ascii, "140"},
            {TextFormat::Ascii, std::nullopt, "140"},
            {TextFormat::Ascii, cancelled, "140"},
            {TextFormat::Ascii, ascii, "0"}};  // no format answer: the file dialog is cancelled
        for (const auto& [bank, format, tempo] : cases) {
            init();
            belltower::bank::ToneBank tones;
            tones.UnicodeNames = bank;
            window_->SetBank(tones);
            Fill({{"Text1", "A"}, {"Text4", tempo}, {"Text5", "4c"}});
            if (format) {
                prompter_->AnswerTextFormat(*format);
            }
            const bool fails = qstrcmp(tempo, "0") == 0, written = format && *format && !fails;
            if (fails) {
                prompter_->AnswerMessage(MessageAnswer::Ok);
            }
            Choose("Command2", format ? std::optional(WriteAll(File("old.re"), "old")) : std::nullopt);
            const auto record =
                belltower::melody::EncodeReRecord(window_->EditFields(), format && *format ? **format : bank);
            QCOMPARE(ReadAll(File("old.re")),
                     written ? AsQBytes(*record.record) : QByteArray(format ? "old" : "<missing>"));
            QCOMPARE(prompter_->fileRequests.at(0).fileName, u"A"_s);
            QVERIFY(!format || prompter_->formatSuggestions.at(0) == bank);
            QVERIFY(!fails || prompter_->messages.at(0).icon == MessageIcon::Exclamation);
        }
    }

    // Each preview option reaches the renderer at the press: one control changed, the WAV
    // differs or not (the notes decide which options matter), half quality makes it smaller.
    void previewOptionsReachTheRenderer() {
        enum class Wav { Same, Differs, Smaller };
        const std::tuple<const char*, const char*, int, Wav> cases[] = {{"8d v1 4d v0 8g", "Check5", 0, Wav::Differs},
                                                                        {"8d v1 4d v0 8g", "Combo1", 0, Wav::Same},
                                                                        {"8d v1 4d v0 8g", "Check6", 1, Wav::Smaller},
                                                                        {"8c4 8d", "Combo1", 0, Wav::Differs},
                                                                        {"8c4 8d", "Combo1", 2, Wav::Differs}};
        for (const auto& [notes, control, value, wav] : cases) {
            init();
            Set("Text5", QLatin1String(notes));
            Press("Command18");
            QWidget* changed = Find(*window_, control);
            changed->setProperty(qobject_cast<QCheckBox*>(changed) ? "checked" : "currentIndex", value);
            Press("Command18");
            QCOMPARE(player_->calls, (std::vector<std::string>{"Stop", "Play", "Stop", "Play"}));
            const QByteArray &before = player_->playedBytes.at(0), &after = player_->playedBytes.at(1);
            QVERIFY2((before == after) == (wav == Wav::Same), notes);
            QVERIFY2((after.size() < before.size()) == (wav == Wav::Smaller), notes);
        }
    }

    // Selected notes play alone; the list's button plays the selected melody; a preview past
    // ten minutes is cut and said; one that cannot be encoded is said and not played.
    void playButtons() {
        const auto play = [&](const char* notes, const char* button = "Command18") {
            Set("Text5", QLatin1String(notes));
            Press(button);
            return player_->playedBytes.empty() ? QByteArray() : player_->playedBytes.back();
        };
        const QByteArray whole = play("4c v1 4d");
        Set("Text5", u"8d 4c v1 4d 8c4"_s);
        QTextCursor cursor = Find<QPlainTextEdit>(*window_, "Text5")->textCursor();
        cursor.setPosition(3);
        cursor.setPosition(11, QTextCursor::KeepAnchor);
        Find<QPlainTextEdit>(*window_, "Text5")->setTextCursor(cursor);
        Press("Command18");
        QCOMPARE(Shown("List1"), u"4c|v1|4d"_s);
        QCOMPARE(player_->playedBytes.back(), whole);

        ShowBank({Encoded("8d 8e", TextFormat::Unicode)}, {"A"});
        player_->playedBytes.clear();
        QCOMPARE(play("", "Command17"), QByteArray());  // nothing selected
        Click(0);
        const QByteArray selected = play("", "Command17");
        QCOMPARE(selected, play("8d 8e"));

        Set("Text4", u"1"_s);
        prompter_->AnswerMessage(MessageAnswer::Ok);
        QVERIFY(!play("1c 1c 1c").isEmpty());
        QVERIFY(prompter_->messages.back().text.contains(u"more than 10 minutes"_s));
        const std::size_t plays = player_->calls.size();
        Set("Text4", u"0"_s);
        prompter_->AnswerMessage(MessageAnswer::Ok);
        play("8x 4c");
        QCOMPARE(Shown("List1"), u"8x|4c"_s);
        QCOMPARE(prompter_->messages.back().icon, MessageIcon::Exclamation);
        QCOMPARE(player_->calls.size(), plays);
    }

    // The player's error is shown once per preview, in the status bar; Stop stops it.
    void playbackErrorsAndStop() {
        Set("Text5", u"c"_s);
        Press("Command18");
        player_->Fail("No audio output device is available.");
        player_->Fail("a second report of the same failure");
        QCOMPARE(Status(), u"The preview cannot be played: No audio output device is available."_s);
        Press("stopButton");
        QCOMPARE(player_->calls, (std::vector<std::string>{"Stop", "Play", "Stop"}));
        Press("Command18");
        QVERIFY(Status().isEmpty());
    }

    // The line under the notes names notes out of the chosen hardware's range and tokens the
    // language ignores; its link selects the first problem.
    void notesProblemsInWords() {
        const std::tuple<const char*, int, const char*, const char*> cases[] = {
            {"4c5 4a4", 1, "", ""},
            {"4c4 zz 4a4 8c8 4q#", 1, "2 notes out of the phone's range, 2 tokens ignored: zz, 4q#", "4c4"},
            {"4c4 zz 8c8", 0, "1 token ignored: zz", "zz"},
            {"t200 v1 4c4 8c8 v0", 2, "1 note out of LogoManager's range", "8c8"},
        };
        for (const auto& [notes, hardware, said, first] : cases) {
            Find<QComboBox>(*window_, "Combo1")->setCurrentIndex(hardware);
            Set("Text5", QLatin1String(notes));
            window_->RefreshPianoRoll();
            QCOMPARE(window_->notesProblems->text().remove(QRegularExpression(u"<[^>]*>"_s)),
                     QString(QLatin1String(said)).toHtmlEscaped());
            emit window_->notesProblems->linkActivated(u"#problem"_s);
            QCOMPARE(Find<QPlainTextEdit>(*window_, "Text5")->textCursor().selectedText(), QLatin1String(first));
        }
    }

    // No caption takes a menu's accelerator or another caption's; every control has a name a
    // screen reader can say.
    void keyboardAndScreenReaders() {
        QList<QKeySequence> menus, captions;
        for (const QAction* menu : window_->menuBar->actions()) {
            menus << QKeySequence::mnemonic(menu->text());
        }
        for (const QWidget* widget : window_->findChildren<QWidget*>()) {
            const QVariant caption = widget->property("text");
            const QKeySequence key = QKeySequence::mnemonic(caption.toString());
            if (caption.isValid() && !key.isEmpty() && !qobject_cast<const QLineEdit*>(widget)) {
                QVERIFY2(!menus.contains(key) && !captions.contains(key), qPrintable(caption.toString()));
                captions << key;
            }
        }
        QCOMPARE(captions.size(), 8);
        std::vector<std::pair<const char*, QWidget*>> controls = window_->ControlTable();
        controls.insert(controls.end(), {{"stop", Find(*window_, "stopButton")},
                                         {"problems", window_->notesProblems},
                                         {"roll", window_->pianoRoll},
                                         {"status", window_->statusBar}});
        for (const auto& [name, control] : controls) {
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
            QVERIFY2(control->isHidden() || (accessible && !accessible->text(QAccessible::Name).isEmpty()), name);
        }
    }

    // The window fits an 800x600 screen with its title bar; more height goes to the notes and
    // the lists, not to the piano roll; the status bar is there from the start, so its messages
    // never change the window's size.
    void fitsSmallScreens() {
        const QSize least = window_->minimumSizeHint();
        QVERIFY2(least.width() <= 800 && least.height() <= 570,
                 qPrintable(u"%1x%2"_s.arg(least.width()).arg(least.height())));
        window_->resize(least);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        QWidget* const grown[] = {Find(*window_, "Text5"), Find(*window_, "List2"), Find(*window_, "List1")};
        const int heights[] = {grown[0]->height(), grown[1]->height(), grown[2]->height()};
        const int roll = window_->pianoRollPane->height();
        window_->resize(least + QSize(0, 200));
        QTRY_VERIFY(Find(*window_, "Text5")->height() > heights[0]);
        for (std::size_t i = 0; i < std::size(heights); ++i) {
            QVERIFY2(grown[i]->height() > heights[i], qPrintable(grown[i]->objectName()));
        }
        QCOMPARE(window_->pianoRollPane->height(), roll);
        QVERIFY(window_->statusBar->isVisible());
        player_->Fail("No audio output device is available.");
        QCOMPARE(window_->minimumSizeHint(), least);
    }

    // F1 opens the guide to the notes language beside the window, and its find line finds;
    // About stays under Help without F1.
    void helpGuide() {
        QCOMPARE(window_->guideAction->shortcut(), QKeySequence(Qt::Key_F1));
        QVERIFY(window_->aboutAction->shortcut().isEmpty());
        window_->guideAction->trigger();
        auto* guide = window_->helpGuide;
        QVERIFY(guide != nullptr && guide->isVisible() && !guide->isModal());
        for (const char* wanted : {"t200", "v1", "Staccato", "name:settings:notes", "nothing like this"}) {
            guide->findEdit->setText(QLatin1String(wanted));
            const bool found = qstrcmp(wanted, "nothing like this") != 0;
            QCOMPARE(guide->FindNext(), found);
            QVERIFY(!found || guide->guideText->textCursor().selectedText() == QLatin1String(wanted));
        }
    }

private:
    belltower::testing::ScratchDir runtime_{"runtime"};
    std::unique_ptr<FakePlayer> player_;
};

QTEST_MAIN(MainWindowTest)
#include "main_window_tests.moc"
