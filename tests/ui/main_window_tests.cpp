// The main window's melody area through its controls, with scripted dialogs.
#include <QDir>

#include "window_helpers.h"

using belltower::melody::MelodyFields;
using belltower::ui::FileDialog;
using belltower::ui::FileDialogMode;
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

class MainWindowTest : public QObject, WindowFixture {
    Q_OBJECT

private slots:
    void init() { Start(); }
    void cleanup() { Release(); }

    void initialState() {
        const belltower::ui::MainWindow& w = *window_;
        QCOMPARE(Shown(w.EditFields()), Shown(MelodyFields{}));
        const QStringList shown = {Find<QLineEdit>(w, "Text2")->text(),        Find<QLineEdit>(w, "Text3")->text(),
                                   Find<QLineEdit>(w, "Text4")->text(),        Find<QLineEdit>(w, "Text8")->text(),
                                   Find<QLabel>(w, "zbyva")->text(),           Find<QLabel>(w, "zbyva2")->text(),
                                   Find<QComboBox>(w, "Combo1")->currentText()};
        QCOMPARE(shown, QStringList({"8", "6", "140", "1", "14", "14", "Phone"}));
        for (const QCheckBox* box : w.findChildren<QCheckBox*>()) {
            QVERIFY2(box->isChecked() == (box == Find<QCheckBox>(w, "Check5")), qPrintable(box->objectName()));
        }
        QVERIFY(Find<QListWidget>(w, "List1")->count() == 0 && Find<QListWidget>(w, "List2")->count() == 0);
        QVERIFY(!Find<QPushButton>(w, "Command11")->isEnabled() && !Find<QLineEdit>(w, "Text13")->isEnabled() &&
                Find<QLabel>(w, "ascii")->isHidden());
    }

    // Save RTX and Open RTX keep every byte value but the line ends (and the separators a field
    // cannot hold), leave the boxes the file has no key for, and set texts whole, beyond the
    // typing limit. A file that cannot be read empties only the notes.
    void saveThenOpenRestoresTheFields() {
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
        QVERIFY(QDir(folder_->path()).mkdir(QStringLiteral("tones")));
        const QString path = File("tones/round.rtx");
        prompter_->AnswerFile(path);
        Press(Find<QPushButton>(*window_, "Command15"));
        QCOMPARE(prompter_->fileRequests.at(0).fileName, Find<QLineEdit>(*window_, "Text1")->text());

        Fresh();
        Find<QLineEdit>(*window_, "Text1")->setText(QStringLiteral("Old"));
        Find<QCheckBox>(*window_, "Check1")->setChecked(true);
        fields.playTwice = true;
        prompter_->AnswerMessage(MessageAnswer::Discard);  // the edits above
        prompter_->AnswerFile(path);
        Press(Find<QPushButton>(*window_, "Command1"));
        QCOMPARE(Shown(window_->EditFields()), Shown(fields));
        QCOMPARE(Find<QLineEdit>(*window_, "Text1")->text().size(), 253);
        QVERIFY(prompter_->fileRequests.at(0).fileName.isEmpty());

        QVERIFY(QFile::remove(path));
        prompter_->AnswerFile(path);
        Press(Find<QPushButton>(*window_, "Command1"));
        QCOMPARE(prompter_->fileRequests.at(1).folder, File("tones/"));
        fields.notes.clear();
        QCOMPARE(Shown(window_->EditFields()), Shown(fields));
        QCOMPARE(prompter_->messages.size(), std::size_t{1});  // only the Discard question
    }

    void failedSaveShowsTheDescription() {
        prompter_->AnswerFile(File("no-such-folder/a.rtx"));
        prompter_->AnswerMessage(MessageAnswer::Ok);
        Press(Find<QPushButton>(*window_, "Command15"));
        QVERIFY2(prompter_->messages.at(0).text.contains(QStringLiteral("No such file or directory")),
                 qPrintable(prompter_->messages[0].text));
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
        const std::pair<QLineEdit*, QLabel*> counters[] = {
            {Find<QLineEdit>(*window_, "Text1"), Find<QLabel>(*window_, "zbyva")},
            {Find<QLineEdit>(*window_, "Text10"), Find<QLabel>(*window_, "zbyva2")}};
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
        QTest::keyClicks(Find<QLineEdit>(*window_, "Text1"), QString(35, QLatin1Char('a')));
        QCOMPARE(Find<QLineEdit>(*window_, "Text1")->text().size(), 30);
        Find<QLineEdit>(*window_, "Text3")->clear();
        QTest::keyClicks(Find<QLineEdit>(*window_, "Text3"), QStringLiteral("57"));
        QCOMPARE(Find<QLineEdit>(*window_, "Text3")->text(), QStringLiteral("5"));

        const QString name(40, QLatin1Char('N'));
        window_->ReadRtxFile(WriteAll(File("long.rtx"), name.toLatin1() + ":d=4:c"));
        QCOMPARE(Find<QLineEdit>(*window_, "Text1")->text(), name);
        QCOMPARE(Find<QLabel>(*window_, "zbyva")->text(), QStringLiteral("-26"));
        Find<QLineEdit>(*window_, "Text1")->end(false);
        QTest::keyClick(Find<QLineEdit>(*window_, "Text1"), Qt::Key_X);
        QCOMPARE(Find<QLineEdit>(*window_, "Text1")->text(), name);
        QTest::keyClick(Find<QLineEdit>(*window_, "Text1"), Qt::Key_Backspace);
        QTest::keyClick(Find<QLineEdit>(*window_, "Text1"), Qt::Key_X);
        QCOMPARE(Find<QLineEdit>(*window_, "Text1")->text().size(), 39);
    }

    // Up to 64000 bytes a melody, above a firmware image; what cannot be opened is ignored.
    // No dialog folder changes.
    void startUpRouting() {
        const auto big = [&](const char* name, qsizetype size) {
            return WriteAll(File(name), QByteArray("Big:d=4:c d e\r\n").leftJustified(size, '\xFF'));
        };
        const QString large = big("large.bin", 64001);
        QVERIFY(QDir(folder_->path()).mkdir(QStringLiteral("my tones")));
        const QString blanks = WriteAll(File("my tones/a b.rtx"), "Quoted:d=16:e");
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
            {folder_->path(), "", "keep", {}},
            {QString(), "", "keep", {}},
            {QStringLiteral("\""), "", "keep", {}},
        };
        for (const auto& c : cases) {
            Fresh();
            Find<QPlainTextEdit>(*window_, "Text5")->setPlainText(QStringLiteral("keep"));
            if (!c.message.isEmpty()) {
                prompter_->AnswerMessage(MessageAnswer::Ok);
            }
            window_->OpenStartupFile(c.argument);
            QVERIFY2(Find<QLineEdit>(*window_, "Text1")->text() == QLatin1String(c.name), qPrintable(c.argument));
            QCOMPARE(Find<QPlainTextEdit>(*window_, "Text5")->toPlainText(), QLatin1String(c.notes));
            QCOMPARE(prompter_->messages.size(), std::size_t{c.message.isEmpty() ? 0U : 1U});
            QVERIFY(c.message.isEmpty() || prompter_->messages[0].text == c.message);
            QVERIFY(window_->openMelodyDialog.Folder().isEmpty() && window_->openFirmwareDialog.Folder().isEmpty());
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
};

QTEST_MAIN(MainWindowTest)
#include "main_window_tests.moc"
