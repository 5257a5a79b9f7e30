// The main window's melody area through its controls, with scripted dialogs.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <memory>

#include "fake_prompter.h"
#include "ui/main_window.h"
#include "window_helpers.h"

using belltower::melody::MelodyFields;
using belltower::ui::FileDialog;
using belltower::ui::FileDialogMode;
using belltower::ui::Form1;
using belltower::ui::MessageAnswer;
using namespace belltower::ui::testing;

namespace {

// The fields as a list, so that a failing comparison names the field that differs.
QStringList Shown(const MelodyFields& f) {
    QStringList shown;
    for (const std::string* text :
         {&f.name, &f.duration, &f.octave, &f.tempo, &f.notes, &f.id, &f.delay, &f.index, &f.staccato}) {
        shown << QString::fromLatin1(text->data(), static_cast<qsizetype>(text->size()));
    }
    shown << QStringLiteral("boxes %1%2%3").arg(f.playTwice).arg(f.forceOnePlay).arg(f.noSmallPauses);
    return shown;
}

}  // namespace

class Form1Test : public QObject {
    Q_OBJECT

private slots:
    void init() {
        folder_ = std::make_unique<QTemporaryDir>();
        QVERIFY(folder_->isValid());
        Fresh();
    }
    void cleanup() {
        window_.reset();
        prompter_.reset();
    }

    void initialState() {
        const Form1& w = *window_;
        QCOMPARE(Shown(w.EditFields()), Shown(MelodyFields{}));
        const std::pair<QString, const char*> texts[] = {
            {w.Text2->text(), "8"},  {w.Text3->text(), "6"},   {w.Text4->text(), "140"},
            {w.Text7->text(), "1"},  {w.Text8->text(), "1"},   {w.Text9->text(), "0"},
            {w.zbyva->text(), "14"}, {w.zbyva2->text(), "14"}, {w.Combo1->currentText(), "Phone"},
        };
        for (const auto& [shown, expected] : texts) {
            QCOMPARE(shown, QLatin1String(expected));
        }
        for (const QCheckBox* box : w.findChildren<QCheckBox*>()) {
            QVERIFY2(box->isChecked() == (box == w.Check5), qPrintable(box->objectName()));
        }
        QVERIFY(w.List1->count() == 0 && w.List2->count() == 0);
        QVERIFY(!w.Command11->isEnabled() && !w.Text13->isEnabled() && w.ascii->isHidden());
    }

    // Open RTX fills the fields from the file's first line and leaves the boxes it has no key
    // for; a file that cannot be read empties only the notes. Its dialog remembers the folder.
    void openRtx() {
        const struct {
            const char* what;
            const char* file;  // nullptr: the chosen file is missing
            void (*expect)(MelodyFields&);
        } cases[] = {
            {"all keys", "N:d=2,o=4,b=63,f=ID,i=9,c=1,s=6,@=15:x\r\nB:d=4:y",
             [](MelodyFields& f) {
                 f.name = "N", f.duration = "2", f.octave = "4", f.tempo = "63", f.id = "ID", f.index = "9",
                 f.forceOnePlay = true, f.staccato = "6", f.delay = "15", f.notes = "x";
             }},
            {"missing file", nullptr, [](MelodyFields& f) { f.notes.clear(); }},
        };
        QVERIFY(QDir(folder_->path()).mkdir(QStringLiteral("tones")));
        const QString path = folder_->filePath(QStringLiteral("tones/a.rtx"));
        for (const auto& c : cases) {
            Fresh();
            c.file != nullptr ? (void)WriteAll(path, c.file) : (void)QFile::remove(path);
            MelodyFields expected;
            expected.name = "Old", expected.notes = "old notes", expected.playTwice = true;
            window_->SetEditFields(expected);
            prompter_->AnswerFile(path);
            prompter_->AnswerFile(std::nullopt);
            Press(window_->Command1);
            Press(window_->Command1);

            c.expect(expected);
            QCOMPARE(Shown(window_->EditFields()), Shown(expected));
            QVERIFY2(prompter_->fileRequests.at(0).fileName.isEmpty(), c.what);
            QCOMPARE(prompter_->fileRequests.at(1).folder, folder_->filePath(QStringLiteral("tones/")));
            QVERIFY(prompter_->messages.empty());
        }
    }

    // Every byte value but the line ends (and the separators a field cannot hold) survives
    // Save RTX and a read through the window.
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
        fields.duration = "16", fields.octave = "5", fields.tempo = "137.5", fields.id = "B\xE9L ";
        fields.delay = "15", fields.index = "42", fields.staccato = "6", fields.forceOnePlay = true;
        window_->SetEditFields(fields);
        QCOMPARE(Shown(window_->EditFields()), Shown(fields));

        const QString path = folder_->filePath(QStringLiteral("round.rtx"));
        prompter_->AnswerFile(path);
        Press(window_->Command15);
        Form1 fresh(*prompter_);
        fresh.ReadRtxFile(path);
        QCOMPARE(Shown(fresh.EditFields()), Shown(fields));
        QCOMPARE(fresh.Text1->text().size(), 253);  // set whole, far beyond the typing limit
    }

    void failedSaveShowsTheDescription() {
        const QString path = folder_->filePath(QStringLiteral("no-such-folder/a.rtx"));
        prompter_->AnswerFile(path);
        prompter_->AnswerMessage(MessageAnswer::Ok);
        Press(window_->Command15);
        QVERIFY2(prompter_->messages.at(0).text.contains(QStringLiteral("No such file or directory")),
                 qPrintable(prompter_->messages[0].text));
        QVERIFY(!QFile::exists(path));
    }

    void counterCaptionsAndColours() {
        const struct {
            int length;
            const char* caption;
            QColor colour;
        } steps[] = {
            {13, " 1", QColor(0, 0, 0)}, {14, " 0", QColor(0, 0, 200)}, {15, "-1", QColor(200, 0, 0)},
            {13, " 1", QColor(0, 0, 0)}, {0, " 14", QColor(0, 0, 0)},
        };
        const std::pair<QLineEdit*, QLabel*> counters[] = {{window_->Text1, window_->zbyva},
                                                           {window_->Text10, window_->zbyva2}};
        for (const auto& [box, counter] : counters) {
            for (const auto& step : steps) {
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
        window_->ReadRtxFile(WriteAll(folder_->filePath(QStringLiteral("long.rtx")), name.toLatin1() + ":d=4:c"));
        QCOMPARE(window_->Text1->text(), name);
        QCOMPARE(window_->zbyva->text(), QStringLiteral("-26"));
        window_->Text1->end(false);
        QTest::keyClick(window_->Text1, Qt::Key_X);
        QCOMPARE(window_->Text1->text(), name);
        QTest::keyClick(window_->Text1, Qt::Key_Backspace);
        QTest::keyClick(window_->Text1, Qt::Key_X);
        QCOMPARE(window_->Text1->text().size(), 39);
    }

    // Up to 64000 bytes a melody, above a firmware image; what cannot be opened is ignored.
    // No dialog folder changes.
    void startUpRouting() {
        const auto big = [&](const char* name, qsizetype size) {
            return WriteAll(folder_->filePath(QLatin1String(name)),
                            QByteArray("Big:d=4:c d e\r\n").leftJustified(size, '\xFF'));
        };
        const QString large = big("large.bin", 64001);
        QVERIFY(QDir(folder_->path()).mkdir(QStringLiteral("my tones")));
        const QString blanks = WriteAll(folder_->filePath(QStringLiteral("my tones/a b.rtx")), "Quoted:d=16:e");
        const struct {
            QString argument;
            const char* name;
            const char* notes;
            QString message;
        } cases[] = {
            {big("small.bin", 64000), "Big", "c d e", {}},
            {large, "", "keep", large + QStringLiteral(" doesn't contain PPM section or is not in Dejan/RAW format!")},
            {QLatin1Char('"') + blanks + QLatin1Char('"'), "Quoted", "e", {}},
            {folder_->filePath(QStringLiteral("missing.rtx")), "", "keep", {}},
            {folder_->path(), "", "keep", {}},
            {QString(), "", "keep", {}},
            {QStringLiteral("\""), "", "keep", {}},
        };
        for (const auto& c : cases) {
            Fresh();
            window_->Text5->setPlainText(QStringLiteral("keep"));
            if (!c.message.isEmpty()) {
                prompter_->AnswerMessage(MessageAnswer::Ok);
            }
            window_->OpenStartupFile(c.argument);
            QVERIFY2(window_->Text1->text() == QLatin1String(c.name), qPrintable(c.argument));
            QCOMPARE(window_->Text5->toPlainText(), QLatin1String(c.notes));
            QCOMPARE(prompter_->messages.size(), std::size_t{c.message.isEmpty() ? 0U : 1U});
            QVERIFY(c.message.isEmpty() || prompter_->messages[0].text == c.message);
            QVERIFY(window_->CD1.Folder().isEmpty() && window_->CD3.Folder().isEmpty());
        }
    }

    // Each dialog keeps its own folder: the chosen path up to its last "/" or "\".
    void fileDialogsRememberTheirFolders() {
        const struct {
            std::optional<QString> answer;
            const char* folderAfter;
        } steps[] = {
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
        for (const auto& step : steps) {
            prompter_->AnswerFile(step.answer);
            const auto chosen = dialog.Choose(*prompter_, QStringLiteral("Tune"));
            QCOMPARE(chosen.has_value(), step.answer.has_value() && !step.answer->isEmpty());
            QCOMPARE(prompter_->fileRequests.back().folder, folderBefore);
            QCOMPARE(prompter_->fileRequests.back().fileName, QStringLiteral("Tune"));
            QCOMPARE(dialog.Folder(), QLatin1String(step.folderAfter));
            folderBefore = dialog.Folder();
        }
    }

private:
    void Fresh() {
        window_.reset();
        prompter_ = std::make_unique<FakePrompter>();
        window_ = std::make_unique<Form1>(*prompter_);
    }

    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<FakePrompter> prompter_;
    std::unique_ptr<Form1> window_;
};

QTEST_MAIN(Form1Test)
#include "form1_tests.moc"
