// The main window through its controls, with scripted dialogs.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>

#include <memory>
#include <string>

#include "fake_prompter.h"
#include "ui/file_dialog.h"
#include "ui/main_window.h"

using belltower::melody::MelodyFields;
using belltower::ui::FileDialog;
using belltower::ui::FileDialogMode;
using belltower::ui::Form1;
using belltower::ui::MessageAnswer;
using belltower::ui::MessageButtons;
using belltower::ui::MessageIcon;
using belltower::ui::testing::FakePrompter;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray Latin1(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

// Fields differ: says which, so a failing table row is easy to read.
QString Difference(const MelodyFields& expected, const MelodyFields& actual) {
    QStringList lines;
    const auto compare = [&](const char* name, const std::string& want, const std::string& got) {
        if (want != got) {
            lines << QStringLiteral("%1: expected \"%2\", got \"%3\"")
                         .arg(QLatin1String(name), QString::fromLatin1(Latin1(want)), QString::fromLatin1(Latin1(got)));
        }
    };
    compare("name", expected.name, actual.name);
    compare("duration", expected.duration, actual.duration);
    compare("octave", expected.octave, actual.octave);
    compare("tempo", expected.tempo, actual.tempo);
    compare("notes", expected.notes, actual.notes);
    compare("id", expected.id, actual.id);
    compare("delay", expected.delay, actual.delay);
    compare("index", expected.index, actual.index);
    compare("staccato", expected.staccato, actual.staccato);
    if (expected.forceOnePlay != actual.forceOnePlay || expected.playTwice != actual.playTwice ||
        expected.noSmallPauses != actual.noSmallPauses) {
        lines << QStringLiteral("check boxes differ");
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

class Form1Test : public QObject {
    Q_OBJECT

private slots:
    void init() {
        window_.reset();
        prompter_ = std::make_unique<FakePrompter>();
        window_ = std::make_unique<Form1>(*prompter_);
        folder_ = std::make_unique<QTemporaryDir>();
        QVERIFY(folder_->isValid());
    }
    void cleanup() {
        window_.reset();
        prompter_.reset();
        folder_.reset();
    }

    void initialContents() {
        const Form1& w = *window_;
        QCOMPARE(w.objectName(), QStringLiteral("Form1"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Belltower v.1.1 by Quenby"));
        QCOMPARE(w.EditFields(), MelodyFields{});
        QCOMPARE(w.Text2->text(), QStringLiteral("8"));
        QCOMPARE(w.Text3->text(), QStringLiteral("6"));
        QCOMPARE(w.Text4->text(), QStringLiteral("140"));
        QCOMPARE(w.Text7->text(), QStringLiteral("1"));
        QCOMPARE(w.Text8->text(), QStringLiteral("1"));
        QCOMPARE(w.Text9->text(), QStringLiteral("0"));
        for (const QCheckBox* box : w.findChildren<QCheckBox*>()) {
            QCOMPARE(box->isChecked(), box == w.Check5);
        }
        QCOMPARE(w.List1->count(), 0);
        QCOMPARE(w.List2->count(), 0);
        QVERIFY(!w.Command11->isEnabled());
        QVERIFY(!w.Text13->isEnabled());
        QCOMPARE(w.Combo1->currentText(), QStringLiteral("Phone"));
        QCOMPARE(w.Combo1->count(), 3);
        QCOMPARE(w.Combo1->itemText(0), QStringLiteral("None"));
        QCOMPARE(w.Combo1->itemText(2), QStringLiteral("LogoManager"));
        QCOMPARE(w.zbyva->text(), QStringLiteral("14"));
        QCOMPARE(w.zbyva2->text(), QStringLiteral("14"));
        QVERIFY(w.ascii->isHidden());
    }

    // Every control is there under its name, of its kind; accelerators reach their boxes.
    void controlsByName() {
        const char* const lineEdits[] = {"Text1", "Text2", "Text3",  "Text4",  "Text6",  "Text7",
                                         "Text8", "Text9", "Text10", "Text11", "Text12", "Text13"};
        for (const char* name : lineEdits) {
            QVERIFY2(window_->findChild<QLineEdit*>(QLatin1String(name)) != nullptr, name);
        }
        QVERIFY(window_->findChild<QPlainTextEdit*>(QStringLiteral("Text5")) != nullptr);
        QCOMPARE(window_->Text5->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        for (int i = 1; i <= 15; ++i) {
            QVERIFY2(window_->findChild<QLabel*>(QStringLiteral("Label%1").arg(i)) != nullptr,
                     qPrintable(QString::number(i)));
        }
        for (int i = 1; i <= 18; ++i) {
            QVERIFY2(window_->findChild<QPushButton*>(QStringLiteral("Command%1").arg(i)) != nullptr,
                     qPrintable(QString::number(i)));
        }
        for (int i = 1; i <= 6; ++i) {
            QVERIFY(window_->findChild<QCheckBox*>(QStringLiteral("Check%1").arg(i)) != nullptr);
        }
        for (const char* name : {"zbyva", "zbyva2", "email", "ascii"}) {
            QVERIFY2(window_->findChild<QLabel*>(QLatin1String(name)) != nullptr, name);
        }
        QVERIFY(window_->findChild<QListWidget*>(QStringLiteral("List1")) != nullptr);
        QVERIFY(window_->findChild<QListWidget*>(QStringLiteral("List2")) != nullptr);
        QVERIFY(window_->findChild<QComboBox*>(QStringLiteral("Combo1")) != nullptr);

        struct Accelerator {
            QLabel* label;
            QWidget* box;
            const char* caption;
        };
        const Form1& w = *window_;
        const Accelerator accelerators[] = {
            {w.Label2, w.Text2, "&Duration:"},  {w.Label3, w.Text3, "&Octave:"}, {w.Label4, w.Text4, "&BPM:"},
            {w.Label5, w.Text6, "&FourCC ID:"}, {w.Label6, w.Text7, "&@ Delay"}, {w.Label7, w.Text8, "Unique &Index:"},
        };
        for (const Accelerator& accelerator : accelerators) {
            QCOMPARE(accelerator.label->text(), QLatin1String(accelerator.caption));
            QCOMPARE(accelerator.label->buddy(), accelerator.box);
        }
        QCOMPARE(w.Label8->buddy(), w.Text9);
        QVERIFY(w.Label8->text().startsWith(QStringLiteral("&Staccato tone limiting length.")));
        QCOMPARE(w.Check2->text(), QStringLiteral("For&ce ONE play"));
        QCOMPARE(w.Command4->toolTip(), QStringLiteral("Move Up"));
        QCOMPARE(w.Command5->toolTip(), QStringLiteral("Move Down"));
        QCOMPARE(w.Command17->toolTip(), QStringLiteral("Play"));
    }

    // One table for the reader's rules, each row opened through Open RTX.
    void openRtxCases() {
        struct Case {
            const char* what;
            QByteArray file;
            bool forceOnePlayBefore;
            void (*expect)(MelodyFields&);
        };
        const Case cases[] = {
            {"settings and notes", "Beep:d=4,o=5,b=125:8c,8d,8e", false,
             [](MelodyFields& f) {
                 f.name = "Beep", f.duration = "4", f.octave = "5", f.tempo = "125", f.notes = "8c,8d,8e";
             }},
            {"keys in any case", "A:D=16,O=7:c", false,
             [](MelodyFields& f) { f.name = "A", f.duration = "16", f.octave = "7", f.notes = "c"; }},
            {"blank before a key", "A:d=4, o=5:c", false,
             [](MelodyFields& f) { f.name = "A", f.duration = "4", f.notes = "c"; }},
            {"value holding =", "A:f=AB=C:c", false,
             [](MelodyFields& f) { f.name = "A", f.id = "AB=C", f.notes = "c"; }},
            {"c=1 ticks", "A:c=1:c", false,
             [](MelodyFields& f) { f.name = "A", f.forceOnePlay = true, f.notes = "c"; }},
            {"c=abc clears", "A:c=abc:c", true,
             [](MelodyFields& f) { f.name = "A", f.forceOnePlay = false, f.notes = "c"; }},
            {"c=-2 keeps the box", "A:c=-2:c", true,
             [](MelodyFields& f) { f.name = "A", f.forceOnePlay = true, f.notes = "c"; }},
            {"all keys", "N:d=2,o=4,b=63,f=ID,i=9,c=0,s=6,@=15:x", false,
             [](MelodyFields& f) {
                 f.name = "N", f.duration = "2", f.octave = "4", f.tempo = "63", f.id = "ID", f.index = "9",
                 f.staccato = "6", f.delay = "15", f.notes = "x";
             }},
            {"colons in the notes", "A:d=8:c:d:e", false, [](MelodyFields& f) { f.name = "A", f.notes = "c:d:e"; }},
            {"no colon", "c d e", false, [](MelodyFields& f) { f.notes = "c d e"; }},
            {"one colon", "Tune:c d e", false, [](MelodyFields& f) { f.name = "Tune", f.notes = "Tune:c d e"; }},
            {"only the first line", "A:d=2:c\r\nB:d=4,o=4:d\r\n", false,
             [](MelodyFields& f) { f.name = "A", f.duration = "2", f.notes = "c"; }},
            {"empty first line", "\r\nB:d=4:d", false, [](MelodyFields& f) { f.notes.clear(); }},
            {"empty file", "", false, [](MelodyFields& f) { f.notes.clear(); }},
        };
        for (const Case& c : cases) {
            init();
            const QString path = folder_->filePath(QStringLiteral("case.rtx"));
            MelodyFields before;
            before.name = "Old";
            before.notes = "old notes";
            before.playTwice = true;  // never touched by the reader
            before.forceOnePlay = c.forceOnePlayBefore;
            window_->SetEditFields(before);
            WriteAll(path, c.file);
            prompter_->AnswerFile(path);
            QTest::mouseClick(window_->Command1, Qt::LeftButton);

            MelodyFields expected = before;
            c.expect(expected);
            const MelodyFields actual = window_->EditFields();
            QVERIFY2(actual == expected,
                     qPrintable(QStringLiteral("%1\n%2").arg(QLatin1String(c.what), Difference(expected, actual))));
            QCOMPARE(prompter_->fileRequests.size(), std::size_t{1});
            QVERIFY(prompter_->messages.empty());
        }
    }

    void openRtxAsksWithEmptyNameAndRemembersFolder() {
        QDir(folder_->path()).mkdir(QStringLiteral("tones"));
        const QString path = folder_->filePath(QStringLiteral("tones/a.rtx"));
        WriteAll(path, "A:d=4:c");
        window_->Text1->setText(QStringLiteral("Current"));
        prompter_->AnswerFile(path);
        prompter_->AnswerFile(std::nullopt);
        QTest::mouseClick(window_->Command1, Qt::LeftButton);
        QTest::mouseClick(window_->Command1, Qt::LeftButton);

        QCOMPARE(prompter_->fileRequests.size(), std::size_t{2});
        const auto& first = prompter_->fileRequests[0];
        QCOMPARE(first.title, QStringLiteral("Open Melody File..."));
        QCOMPARE(first.mode, FileDialogMode::Open);
        QVERIFY(first.fileName.isEmpty());
        QVERIFY(first.folder.isEmpty());
        QCOMPARE(prompter_->fileRequests[1].folder, folder_->filePath(QStringLiteral("tones/")));
    }

    void unreadableFileEmptiesOnlyTheNotes() {
        MelodyFields before;
        before.name = "Keep";
        before.notes = "c d e";
        before.tempo = "90";
        window_->SetEditFields(before);
        window_->ReadRtxFile(folder_->filePath(QStringLiteral("missing.rtx")));
        MelodyFields expected = before;
        expected.notes.clear();
        QCOMPARE(window_->EditFields(), expected);
        QVERIFY(prompter_->messages.empty());
    }

    void saveRtxWritesTheInitialLine() {
        const QString path = folder_->filePath(QStringLiteral("initial.ert"));
        prompter_->AnswerFile(path);
        QTest::mouseClick(window_->Command15, Qt::LeftButton);

        QCOMPARE(ReadAll(path), QByteArray(":d=8,o=6,b=140,f=,i=1,c=0,s=0,@=1:\r\n"));
        const auto& request = prompter_->fileRequests.at(0);
        QCOMPARE(request.title, QStringLiteral("Save RTX File..."));
        QCOMPARE(request.mode, FileDialogMode::Save);
        QCOMPARE(request.filters,
                 QStringList({QStringLiteral("Extended RTX melody [*.ERT] (*.ert *.ERT)"),
                              QStringLiteral("RTX melody [*.000] (*.rtx *.RTX)"), QStringLiteral("All Files (*)")}));
        QVERIFY(prompter_->messages.empty());
    }

    void saveRtxProposesTheName() {
        window_->Text1->setText(QStringLiteral("Morning"));
        prompter_->AnswerFile(std::nullopt);
        prompter_->AnswerFile(QString());
        QTest::mouseClick(window_->Command15, Qt::LeftButton);
        QTest::mouseClick(window_->Command15, Qt::LeftButton);
        QCOMPARE(prompter_->fileRequests.at(0).fileName, QStringLiteral("Morning"));
        QVERIFY(QDir(folder_->path()).isEmpty());
        QVERIFY(prompter_->messages.empty());
        QVERIFY(window_->CD5.Folder().isEmpty());
    }

    // Every byte value but the line ends (and the separators a field cannot hold) survives
    // a write and a read through the window.
    void writeThenReadRestoresTheFields() {
        MelodyFields fields;
        for (int byte = 0; byte < 256; ++byte) {
            if (byte != '\r' && byte != '\n') {
                fields.notes += static_cast<char>(byte);
                if (byte != ':') {
                    fields.name += static_cast<char>(byte);
                }
            }
        }
        fields.duration = "16";
        fields.octave = "5";
        fields.tempo = "137.5";
        fields.id = "B\xE9L ";
        fields.delay = "15";
        fields.index = "42";
        fields.staccato = "6";
        fields.forceOnePlay = true;
        window_->SetEditFields(fields);
        QCOMPARE(window_->EditFields(), fields);

        const QString path = folder_->filePath(QStringLiteral("round.rtx"));
        prompter_->AnswerFile(path);
        QTest::mouseClick(window_->Command15, Qt::LeftButton);

        Form1 fresh(*prompter_);
        fresh.ReadRtxFile(path);
        const MelodyFields actual = fresh.EditFields();
        QVERIFY2(actual == fields, qPrintable(Difference(fields, actual)));
        QCOMPARE(fresh.Text1->text().size(), 253);  // set whole, far beyond the typing limit
    }

    void failedSaveShowsTheDescription() {
        const QString path = folder_->filePath(QStringLiteral("no-such-folder/a.rtx"));
        prompter_->AnswerFile(path);
        prompter_->AnswerMessage(MessageAnswer::Ok);
        QTest::mouseClick(window_->Command15, Qt::LeftButton);

        QCOMPARE(prompter_->messages.size(), std::size_t{1});
        const auto& message = prompter_->messages[0];
        QVERIFY2(message.text.contains(QStringLiteral("No such file or directory")), qPrintable(message.text));
        QCOMPARE(message.icon, MessageIcon::None);
        QCOMPARE(message.buttons, MessageButtons::Ok);
        QVERIFY(!QFile::exists(path));
    }

    void failedSaveKeepsAnExistingTarget() {
        // A folder where the file should go: the save fails and the folder stays as it was.
        const QString path = folder_->filePath(QStringLiteral("taken"));
        QVERIFY(QDir(folder_->path()).mkdir(QStringLiteral("taken")));
        prompter_->AnswerFile(path);
        prompter_->AnswerMessage(MessageAnswer::Ok);
        QTest::mouseClick(window_->Command15, Qt::LeftButton);
        QCOMPARE(prompter_->messages.size(), std::size_t{1});
        QVERIFY(QFileInfo(path).isDir());
        QCOMPARE(QDir(folder_->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList{QStringLiteral("taken")});
    }

    void counterCaptionsAndColours() {
        struct Step {
            int length;
            const char* caption;
            QColor colour;
        };
        const Step steps[] = {
            {13, " 1", QColor(0, 0, 0)}, {14, " 0", QColor(0, 0, 200)}, {15, "-1", QColor(200, 0, 0)},
            {13, " 1", QColor(0, 0, 0)}, {0, " 14", QColor(0, 0, 0)},
        };
        const std::pair<QLineEdit*, QLabel*> counters[] = {{window_->Text1, window_->zbyva},
                                                           {window_->Text10, window_->zbyva2}};
        for (const auto& [box, counter] : counters) {
            for (const Step& step : steps) {
                // Typed or deleted one key at a time, as a user would.
                while (box->text().size() < step.length) {
                    QTest::keyClick(box, Qt::Key_M);
                }
                while (box->text().size() > step.length) {
                    QTest::keyClick(box, Qt::Key_Backspace);
                }
                QCOMPARE(counter->text(), QLatin1String(step.caption));
                QCOMPARE(counter->palette().color(QPalette::WindowText), step.colour);
            }
        }
    }

    void typingStopsAtTheLimitButLoadedNamesStayWhole() {
        QTest::keyClicks(window_->Text1, QString(35, QLatin1Char('a')));
        QCOMPARE(window_->Text1->text().size(), 30);
        window_->Text3->clear();
        QTest::keyClicks(window_->Text3, QStringLiteral("57"));
        QCOMPARE(window_->Text3->text(), QStringLiteral("5"));

        const QString name(40, QLatin1Char('N'));
        const QString path = folder_->filePath(QStringLiteral("long.rtx"));
        WriteAll(path, name.toLatin1() + ":d=4:c");
        window_->ReadRtxFile(path);
        QCOMPARE(window_->Text1->text(), name);
        QCOMPARE(window_->zbyva->text(), QStringLiteral("-26"));

        window_->Text1->end(false);
        QTest::keyClick(window_->Text1, Qt::Key_X);
        QCOMPARE(window_->Text1->text(), name);
        QTest::keyClick(window_->Text1, Qt::Key_Backspace);
        QCOMPARE(window_->Text1->text().size(), 39);
        QTest::keyClick(window_->Text1, Qt::Key_X);
        QCOMPARE(window_->Text1->text().size(), 39);
    }

    void notesSelection() {
        window_->Text5->setPlainText(QStringLiteral("8c 8d\n8e 8f"));
        QVERIFY(!window_->NotesSelection());
        QTextCursor cursor = window_->Text5->textCursor();
        cursor.setPosition(3);
        cursor.setPosition(8, QTextCursor::KeepAnchor);
        window_->Text5->setTextCursor(cursor);
        const auto selection = window_->NotesSelection();
        QVERIFY(selection.has_value());
        QCOMPARE(selection->start, std::size_t{3});
        QCOMPARE(selection->length, std::size_t{5});
        QCOMPARE(window_->EditFields().notes.substr(3, 5), std::string("8d\n8e"));
    }

    void startUpRoutesBySize() {
        struct Case {
            const char* what;
            qint64 size;
            bool asMelody;
        };
        for (const Case& c : {Case{"64000 bytes", 64000, true}, Case{"64001 bytes", 64001, false}}) {
            init();
            QByteArray bytes("Big:d=4:c d e\r\n");
            bytes.append(QByteArray(c.size - bytes.size(), '\xFF'));
            const QString path = folder_->filePath(QStringLiteral("start.bin"));
            WriteAll(path, bytes);
            if (!c.asMelody) {
                prompter_->AnswerMessage(MessageAnswer::Ok);
            }
            window_->OpenStartupFile(path);
            QCOMPARE(window_->Text1->text(), c.asMelody ? QStringLiteral("Big") : QString());
            QCOMPARE(prompter_->messages.size(), std::size_t{c.asMelody ? 0U : 1U});
            if (!c.asMelody) {
                QCOMPARE(prompter_->messages[0].text,
                         path + QStringLiteral(" doesn't contain PPM section or is not in Dejan/RAW format!"));
            }
            QVERIFY2(window_->CD1.Folder().isEmpty() && window_->CD3.Folder().isEmpty(), c.what);
        }
    }

    void startUpTakesAQuotedPathWithBlanks() {
        QDir(folder_->path()).mkdir(QStringLiteral("my tones"));
        const QString path = folder_->filePath(QStringLiteral("my tones/a b.rtx"));
        WriteAll(path, "Quoted:d=16:e");
        window_->OpenStartupFile(QLatin1Char('"') + path + QLatin1Char('"'));
        QCOMPARE(window_->Text1->text(), QStringLiteral("Quoted"));
        QCOMPARE(window_->Text2->text(), QStringLiteral("16"));
    }

    void startUpIgnoresWhatCannotBeOpened() {
        for (const QString& argument :
             {QString(), folder_->filePath(QStringLiteral("missing.rtx")), folder_->path(), QStringLiteral("\"")}) {
            window_->OpenStartupFile(argument);
            QCOMPARE(window_->EditFields(), MelodyFields{});
        }
        QVERIFY(prompter_->messages.empty());
    }

    void fileDialogsHaveTheirTitlesAndFilters() {
        struct Expected {
            const FileDialog* dialog;
            const char* title;
            FileDialogMode mode;
            QStringList filters;
        };
        const Form1& w = *window_;
        const QString all = QStringLiteral("All Files (*)");
        const Expected dialogs[] = {
            {&w.CD1,
             "Open Melody File...",
             FileDialogMode::Open,
             {QStringLiteral("Ringtones .RTX and .ERT (Extended RTX) (*.rtx *.RTX *.ert *.ERT)"), all}},
            {&w.cd2, "Save Raw File...", FileDialogMode::Save, {QStringLiteral("Raw melody [*.RE] (*.re *.RE)"), all}},
            {&w.CD3,
             "Open Firmware File...",
             FileDialogMode::Open,
             {QStringLiteral("Firmware Images in Dejan format (*.fls *.FLS)"), all}},
            {&w.CD4,
             "Save FirmWare As...",
             FileDialogMode::Save,
             {QStringLiteral("FirmWare File [*.FLS] (*.fls *.FLS)"), all}},
            {&w.CD5,
             "Save RTX File...",
             FileDialogMode::Save,
             {QStringLiteral("Extended RTX melody [*.ERT] (*.ert *.ERT)"),
              QStringLiteral("RTX melody [*.000] (*.rtx *.RTX)"), all}},
            {&w.CD6, "Open raw File...", FileDialogMode::Open, {QStringLiteral("RE Melody Files (*.re *.RE)"), all}},
            {&w.CD7,
             "Export raw melody from firmware...",
             FileDialogMode::Save,
             {QStringLiteral("RE melody [*.RE] (*.re *.RE)"), all}},
        };
        for (const Expected& e : dialogs) {
            QCOMPARE(e.dialog->Title(), QLatin1String(e.title));
            QCOMPARE(e.dialog->Mode(), e.mode);
            QCOMPARE(e.dialog->Filters(), e.filters);
            QVERIFY(e.dialog->Folder().isEmpty());
        }
    }

    // Each dialog keeps its own folder: the chosen path up to its last "/" or "\".
    void fileDialogsRememberTheirFolders() {
        struct Step {
            std::optional<QString> answer;
            const char* folderAfter;
        };
        const Step steps[] = {
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
        for (const Step& step : steps) {
            prompter_->AnswerFile(step.answer);
            const auto chosen = dialog.Choose(*prompter_, QStringLiteral("Tune"));
            QCOMPARE(chosen.has_value(), step.answer.has_value() && !step.answer->isEmpty());
            QCOMPARE(prompter_->fileRequests.back().folder, folderBefore);
            QCOMPARE(prompter_->fileRequests.back().fileName, QStringLiteral("Tune"));
            QCOMPARE(dialog.Folder(), QLatin1String(step.folderAfter));
            folderBefore = dialog.Folder();
        }
        QVERIFY(window_->cd2.Folder().isEmpty());
    }

    void aboutButtonOpensTheAboutWindow() {
        prompter_->ExpectAbout();
        QTest::mouseClick(window_->Command16, Qt::LeftButton);
        QCOMPARE(prompter_->aboutShown, 1);
    }

private:
    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<FakePrompter> prompter_;
    std::unique_ptr<Form1> window_;
};

QTEST_MAIN(Form1Test)
#include "form1_tests.moc"
