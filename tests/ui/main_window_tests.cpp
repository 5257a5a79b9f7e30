// The main window's melody area and preview through its controls: each control reaches its
// dialog and the core, what the window shows at start, files in and out, start-up files.
#include <QAction>
#include <QStatusBar>
#include <QTextCursor>

#include "melody/tone_encoder.h"
#include "preview/temp_files.h"
#include "support/image_builder.h"
#include "window_helpers.h"

using belltower::formats::TextFormat;
using belltower::melody::MelodyFields;
using belltower::ui::FileDialog;
using belltower::ui::FileDialogMode;
using belltower::ui::MessageAnswer;
using belltower::ui::MessageIcon;
using namespace belltower::ui::testing;

class MainWindowTest : public QObject, WindowFixture {
    Q_OBJECT

private slots:
    void initTestCase() {
        // The tests bring their own session runtime directory for the private preview folder.
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime_.path().string()));
        wavPath_ = QString::fromStdString(
            (*belltower::preview::PrivateTempDir() / belltower::preview::kMelodyWavName).string());
    }
    void init() {
        Start();
        player_ = std::make_unique<FakePlayer>();
        window_->SetPreviewPlayer(*player_);
    }
    void cleanup() { Release(); }

    void initialState() {
        const std::pair<const char*, const char*> texts[] = {
            {"Text1", ""},
            {"Text2", "8"},
            {"Text3", "6"},
            {"Text4", "140"},
            {"Text5", ""},
            {"Text6", ""},
            {"Text7", "1"},
            {"Text8", "1"},
            {"Text9", "0"},
            {"zbyva", "14"},
            {"zbyva2", "14"},
            {"Combo1", "Phone"},
            {"List1", ""},
            {"List2", ""},
            {"Command11", "Apply"},
            {"Label12", ""},
            {"Command1", "Open RTX"},
            {"Command9", "Save Firmware..."},
            {"email", "Belltower 1.1, melodies for Nokia DCT3 phones"},
        };
        for (const auto& [name, text] : texts) {
            QVERIFY2(Text(*window_, name) == QLatin1String(text), name);
        }
        QVERIFY(window_->EditFields() == MelodyFields{});
        for (const QCheckBox* box : window_->findChildren<QCheckBox*>()) {
            QVERIFY2(box->isChecked() == (box->objectName() == QLatin1String("Check5")), qPrintable(box->objectName()));
        }
        QVERIFY(!Find(*window_, "Command11")->isEnabled() && !Find(*window_, "Text13")->isEnabled());
        QVERIFY(Find(*window_, "ascii")->isHidden());
        QCOMPARE(window_->windowTitle(), QStringLiteral("Belltower v.1.1 by Quenby[*]"));
    }

    // Each button and menu command that asks for a file asks with its own dialog; cancelled,
    // it changes nothing.
    void commandsAskWithTheirDialogs() {
        Load(WriteAll(File("in.fls"), Image({Record(TextFormat::Ascii, 1, "A")})));
        Click(0);
        const std::pair<const char*, const char*> commands[] = {
            {"Command1", "Open Melody File..."},
            {"Command15", "Save RTX File..."},
            {"Command2", "Save Raw File..."},
            {"Command3", "Open Firmware File..."},
            {"Command9", "Save FirmWare As..."},
            {"Command12", "Open raw File..."},
            {"Command13", "Open raw File..."},
            {"Command14", "Export raw melody from firmware..."},
            {"&Open Melody...", "Open Melody File..."},
            {"&Save Melody...", "Save RTX File..."},
            {"Save as &RE...", "Save Raw File..."},
            {"&Load Firmware...", "Open Firmware File..."},
            {"Save &Firmware...", "Save FirmWare As..."},
            {"&Export Piano Roll...", "Export Piano Roll..."},
        };
        for (const auto& [command, title] : commands) {
            prompter_->AnswerFile(std::nullopt);
            Trigger(command);
            QCOMPARE(prompter_->fileRequests.back().title, QLatin1String(title));
        }
        QCOMPARE(Text(*window_, "List2"), QStringLiteral("A"));
        QVERIFY(prompter_->messages.empty() && !window_->isWindowModified());
    }

    // Save as RTX and Open RTX keep every byte value of the notes but the line ends, and set
    // texts whole, beyond the typing limit. A file that cannot be read empties only the notes.
    // A failed save says why.
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
            if (byte != '\r' && byte != '\n') {
                fields.notes += static_cast<char>(byte);
            }
        }
        window_->SetEditFields(fields);
        QVERIFY(window_->EditFields() == fields);
        const QString path = File("round.rtx");
        prompter_->AnswerFile(path);
        Press(*window_, "Command15");
        QCOMPARE(prompter_->fileRequests.at(0).fileName, Text(*window_, "Text1"));

        Fresh();
        SetText(*window_, "Text1", QStringLiteral("Old"));
        prompter_->AnswerMessage(MessageAnswer::Discard);  // the edit above
        prompter_->AnswerFile(path);
        Press(*window_, "Command1");
        QVERIFY(window_->EditFields() == fields);

        QVERIFY(QFile::remove(path));
        prompter_->AnswerFile(path);
        Press(*window_, "Command1");
        fields.notes.clear();
        QVERIFY(window_->EditFields() == fields);
        QCOMPARE(prompter_->messages.size(), std::size_t{1});  // only the Discard question

        prompter_->AnswerFile(File("no-such-folder/a.rtx"));
        prompter_->AnswerMessage(MessageAnswer::Ok);
        Press(*window_, "Command15");
        QVERIFY(prompter_->messages.back().text.contains(QStringLiteral("No such file or directory")));
    }

    // The counters show the characters left of 14, blue at none and red below. Typing stops at
    // a box's limit; a name the program sets stays whole, and only shortening it can be typed.
    void countersAndTypingLimits() {
        const struct {
            int length;
            const char* caption;
            QColor colour;
        } steps[] = {
            {13, " 1", QColor(0, 0, 0)}, {14, " 0", QColor(0, 0, 200)}, {15, "-1", QColor(200, 0, 0)},
            {13, " 1", QColor(0, 0, 0)}, {0, " 14", QColor(0, 0, 0)},
        };
        for (const auto& [box, counter] : {std::pair{"Text1", "zbyva"}, std::pair{"Text10", "zbyva2"}}) {
            for (const auto& step : steps) {
                while (Text(*window_, box).size() != step.length) {  // one key at a time, as a user would
                    QTest::keyClick(Find(*window_, box),
                                    Text(*window_, box).size() < step.length ? Qt::Key_M : Qt::Key_Backspace);
                }
                QCOMPARE(Text(*window_, counter), QLatin1String(step.caption));
                QCOMPARE(Find(*window_, counter)->palette().color(QPalette::WindowText), step.colour);
            }
        }
        QTest::keyClicks(Find(*window_, "Text1"), QString(35, QLatin1Char('a')));
        QCOMPARE(Text(*window_, "Text1").size(), 30);
        SetText(*window_, "Text3", QString());
        QTest::keyClicks(Find(*window_, "Text3"), QStringLiteral("57"));
        QCOMPARE(Text(*window_, "Text3"), QStringLiteral("5"));

        const QString name(40, QLatin1Char('N'));
        window_->ReadRtxFile(WriteAll(File("long.rtx"), name.toLatin1() + ":d=4:c"));
        QCOMPARE(Text(*window_, "zbyva"), QStringLiteral("-26"));
        Find<QLineEdit>(*window_, "Text1")->end(false);
        QTest::keyClick(Find(*window_, "Text1"), Qt::Key_X);
        QCOMPARE(Text(*window_, "Text1"), name);
        QTest::keyClick(Find(*window_, "Text1"), Qt::Key_Backspace);
        QTest::keyClick(Find(*window_, "Text1"), Qt::Key_X);
        QCOMPARE(Text(*window_, "Text1").size(), 39);
    }

    // Up to 64000 bytes a melody, above a firmware image; what cannot be opened is ignored.
    // No dialog folder changes.
    void startUpRouting() {
        const auto big = [&](const char* name, qsizetype size) {
            return WriteAll(File(name), QByteArray("Big:d=4:c d e\r\n").leftJustified(size, '\xFF'));
        };
        const QString large = big("large.bin", 64001);
        const QString blanks = WriteAll(File("a b.rtx"), "Quoted:d=16:e");
        const struct {
            QString argument;
            const char* name;
            const char* notes;
            QString message;
        } cases[] = {
            {big("small.bin", 64000), "Big", "c d e", {}},
            {large, "", "keep", large + QStringLiteral(" doesn't contain PPM section or is not in Dejan/RAW format!")},
            {QLatin1Char('"') + blanks + QLatin1Char('"'), "Quoted", "e", {}},
            {File("missing.rtx"), "", "keep", {}},
            {Folder(), "", "keep", {}},
            {QString(), "", "keep", {}},
            {QStringLiteral("\""), "", "keep", {}},
        };
        for (const auto& c : cases) {
            Fresh();
            SetText(*window_, "Text5", QStringLiteral("keep"));
            if (!c.message.isEmpty()) {
                prompter_->AnswerMessage(MessageAnswer::Ok);
            }
            window_->OpenStartupFile(c.argument);
            QVERIFY2(Text(*window_, "Text1") == QLatin1String(c.name), qPrintable(c.argument));
            QCOMPARE(Text(*window_, "Text5"), QLatin1String(c.notes));
            QCOMPARE(prompter_->messages.size(), std::size_t{c.message.isEmpty() ? 0U : 1U});
            QVERIFY(c.message.isEmpty() || prompter_->messages[0].text == c.message);
            QVERIFY(window_->openMelodyDialog.Folder().isEmpty() && window_->openFirmwareDialog.Folder().isEmpty());
        }
    }

    // Each dialog keeps its own folder: the chosen path up to its last "/" or "\".
    void fileDialogsRememberTheirFolders() {
        const std::pair<std::optional<QString>, const char*> steps[] = {
            {QStringLiteral("/home/ann/tones/a.re"), "/home/ann/tones/"},
            {std::nullopt, "/home/ann/tones/"},
            {QString(), "/home/ann/tones/"},
            {QStringLiteral("b.re"), "/home/ann/tones/"},
            {QStringLiteral("C:\\Phone\\Tones\\c.re"), "C:\\Phone\\Tones\\"},
            {QStringLiteral("/media/card\\dir/d.re"), "/media/card\\dir/"},
        };
        FileDialog dialog(QStringLiteral("Save Raw File..."), QStringLiteral("Raw melody [*.RE]|*.re"),
                          FileDialogMode::Save);
        QString folderBefore;
        for (const auto& [answer, folderAfter] : steps) {
            prompter_->AnswerFile(answer);
            QCOMPARE(dialog.Choose(*prompter_, QStringLiteral("Tune")).has_value(), answer && !answer->isEmpty());
            QCOMPARE(prompter_->fileRequests.back().folder, folderBefore);
            QCOMPARE(prompter_->fileRequests.back().fileName, QStringLiteral("Tune"));
            QCOMPARE(dialog.Folder(), QLatin1String(folderAfter));
            folderBefore = dialog.Folder();
        }
    }

    // Save as RE suggests the melody's name and the bank's format and writes the record in the
    // format chosen; a cancelled dialog or a melody that cannot be encoded writes nothing.
    void saveAsRe() {
        const std::optional<TextFormat> cancelled;
        const struct {
            bool unicodeBank;
            bool chooseFile;
            std::optional<std::optional<TextFormat>> format;  // the format dialog's answer, if asked
            const char* tempo;
        } cases[] = {
            {false, true, TextFormat::Unicode, "140"}, {true, true, TextFormat::Ascii, "140"},
            {false, false, std::nullopt, "140"},       {false, true, cancelled, "140"},
            {false, true, TextFormat::Ascii, "0"},
        };
        for (const auto& c : cases) {
            init();
            const QString old = WriteAll(File("old.re"), "an older file");
            belltower::bank::ToneBank tones;
            tones.UnicodeNames = c.unicodeBank ? TextFormat::Unicode : TextFormat::Ascii;
            window_->SetBank(tones);
            SetText(*window_, "Text1", QStringLiteral("A"));
            SetText(*window_, "Text5", QStringLiteral("4c"));
            SetText(*window_, "Text4", QLatin1String(c.tempo));
            prompter_->AnswerFile(c.chooseFile ? std::optional(old) : std::nullopt);
            if (c.format) {
                prompter_->AnswerTextFormat(*c.format);
            }
            const bool fails = qstrcmp(c.tempo, "0") == 0;
            if (fails) {
                prompter_->AnswerMessage(MessageAnswer::Ok);
            }
            Press(*window_, "Command2");
            const bool written = c.format && *c.format && !fails;
            QCOMPARE(ReadAll(old),
                     written ? AsQBytes(*belltower::melody::EncodeReRecord(window_->EditFields(), **c.format).record)
                             : QByteArray("an older file"));
            QCOMPARE(prompter_->fileRequests.at(0).fileName, QStringLiteral("A"));
            QVERIFY(!c.format || prompter_->formatSuggestions.at(0) == tones.UnicodeNames);
            QVERIFY(!fails || prompter_->messages.at(0).icon == MessageIcon::Exclamation);
        }
    }

    // Each preview option reaches the renderer at the press: a row changes one control and
    // says how the WAV differs from the one before (vibration and hardware change the sound of
    // these notes only; half quality makes a smaller file).
    void previewOptionsReachTheRenderer() {
        enum class Wav { Same, Differs, Smaller };
        const struct {
            const char* notes;
            const char* control;
            int value;
            Wav wav;
        } cases[] = {
            {"8d 4c v1 4d v0 8g", "Check5", 0, Wav::Differs},
            {"8d 4c v1 4d v0 8g", "Combo1", 0, Wav::Same},
            {"8d 4c v1 4d v0 8g", "Check6", 1, Wav::Smaller},
            {"8c4 8d", "Combo1", 0, Wav::Differs},
            {"8c4 8d", "Combo1", 2, Wav::Differs},
        };
        for (const auto& c : cases) {
            init();
            SetText(*window_, "Text5", QLatin1String(c.notes));
            Press(*window_, "Command18");
            if (auto* box = qobject_cast<QCheckBox*>(Find(*window_, c.control))) {
                box->setChecked(c.value != 0);
            } else {
                Find<QComboBox>(*window_, c.control)->setCurrentIndex(c.value);
            }
            Press(*window_, "Command18");
            QCOMPARE(player_->calls, (std::vector<std::string>{"Stop", "Play", "Stop", "Play"}));
            QCOMPARE(QString::fromStdString(player_->played.at(0).string()), wavPath_);
            const QByteArray &before = player_->playedBytes.at(0), &after = player_->playedBytes.at(1);
            QVERIFY2((before == after) == (c.wav == Wav::Same), c.notes);
            QVERIFY2((after.size() < before.size()) == (c.wav == Wav::Smaller), c.control);
        }
    }

    // Selected notes play alone; the firmware list's button plays the selected melody; a
    // preview past ten minutes is cut and said, one that cannot be encoded or written is not
    // played and is said.
    void playButtons() {
        const auto play = [&](const char* notes, const char* button = "Command18") {
            SetText(*window_, "Text5", QLatin1String(notes));
            Press(*window_, button);
            return player_->playedBytes.empty() ? QByteArray() : player_->playedBytes.back();
        };
        const QByteArray whole = play("4c v1 4d");
        SetText(*window_, "Text5", QStringLiteral("8d 4c v1 4d 8c4"));
        QTextCursor cursor = Find<QPlainTextEdit>(*window_, "Text5")->textCursor();
        cursor.setPosition(3);
        cursor.setPosition(11, QTextCursor::KeepAnchor);
        Find<QPlainTextEdit>(*window_, "Text5")->setTextCursor(cursor);
        Press(*window_, "Command18");
        QCOMPARE(Text(*window_, "List1"), QStringLiteral("4c|v1|4d"));
        QCOMPARE(player_->playedBytes.back(), whole);

        const QByteArray melody = play("8d 8e");
        belltower::bank::ToneBank tones;
        tones.Records = {*belltower::melody::EncodeReRecord(window_->EditFields(), TextFormat::Unicode).record};
        tones.Lines = {"A"};
        window_->SetBank(tones);
        player_->playedBytes.clear();
        QCOMPARE(play("4c", "Command17"), QByteArray());  // nothing selected
        Click(0);
        QCOMPARE(play("4c", "Command17"), melody);

        SetText(*window_, "Text4", QStringLiteral("1"));
        prompter_->AnswerMessage(MessageAnswer::Ok);
        QVERIFY(!play("1c 1c 1c").isEmpty());
        QVERIFY(prompter_->messages.back().text.contains(QStringLiteral("more than 10 minutes")));

        const std::size_t played = player_->calls.size();
        SetText(*window_, "Text4", QStringLiteral("0"));
        prompter_->AnswerMessage(MessageAnswer::Ok);
        play("8x 4c");
        QCOMPARE(Text(*window_, "List1"), QStringLiteral("8x|4c"));
        SetText(*window_, "Text4", QStringLiteral("140"));
        QVERIFY(QFile::remove(wavPath_) && QDir().mkpath(wavPath_));  // a folder in the way of the WAV file
        prompter_->AnswerMessage(MessageAnswer::Ok);
        play("4c");
        QVERIFY(QDir(wavPath_).removeRecursively());
        QCOMPARE(prompter_->messages.back().icon, MessageIcon::Exclamation);
        QCOMPARE(player_->calls.size(), played);
    }

    // The player's error is shown once per preview, in the status bar; Stop stops it.
    void playbackErrorsAndStop() {
        SetText(*window_, "Text5", QStringLiteral("c"));
        Press(*window_, "Command18");
        player_->Fail("No audio output device is available.");
        player_->Fail("a second report of the same failure");
        QCOMPARE(window_->statusBar->currentMessage(),
                 QStringLiteral("The preview cannot be played: No audio output device is available."));
        Press(*window_, "stopButton");
        QCOMPARE(player_->calls, (std::vector<std::string>{"Stop", "Play", "Stop"}));
        Press(*window_, "Command18");
        QVERIFY(window_->statusBar->currentMessage().isEmpty());
    }

private:
    belltower::testing::ScratchDir runtime_{"runtime"};
    QString wavPath_;
    std::unique_ptr<FakePlayer> player_;
};

QTEST_MAIN(MainWindowTest)
#include "main_window_tests.moc"
