// The main window's Save as RE, the two play buttons and dropped files, with scripted dialogs
// and a recording player.
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QTextCursor>
#include <QUrl>

#include "bank/tone_bank.h"
#include "fake_player.h"
#include "melody/tone_encoder.h"
#include "preview/temp_files.h"
#include "preview/wav_writer.h"
#include "window_helpers.h"

using belltower::formats::TextFormat;
using belltower::ui::MainWindow;
using belltower::ui::MessageAnswer;
using belltower::ui::MessageIcon;
using namespace belltower::ui::testing;
namespace preview = belltower::preview;

namespace {

// Name A, notes "4c", the window's initial settings: index 1, length 36, ID four blanks, a zero
// byte, name-length dword 2, "A" and its terminator, the opening, c6 a quarter at 140 BPM (52
// units), the closing marker with a delay of 1 unit and the end, 0xFF fill up to 36.
const QByteArray kAsciiRecord =
    QByteArray::fromHex("00000001 00000024 20202020 00 00000002 41 00 0002fc090a01 8b34 0afe4001070b ffffff");
const QByteArray kOldFile("an older file, kept byte for byte\x00\xff", 35);

// The record of these notes with the window's other fields as they are.
belltower::formats::Bytes RecordOf(const MainWindow& window, const char* notes, TextFormat format = TextFormat::Ascii) {
    belltower::melody::MelodyFields fields = window.EditFields();
    fields.notes = notes;
    return belltower::melody::EncodeMelody(fields, format, std::nullopt).record.value();
}

QByteArray Wav(const belltower::formats::Bytes& record, bool vibration, bool half, int hardware) {
    return AsQBytes(
        preview::WriteWav(record, {vibration, half, static_cast<belltower::melody::Hardware>(hardware)}).wav);
}

// A Unicode bank of these melodies, all named A.
belltower::bank::ToneBank UnicodeBank(const MainWindow& window, std::initializer_list<const char*> notes) {
    belltower::bank::ToneBank tones;
    tones.UnicodeNames = TextFormat::Unicode;
    for (const char* melody : notes) {
        tones.Records.push_back(RecordOf(window, melody, TextFormat::Unicode));
        tones.Lines.emplace_back("A");
    }
    return tones;
}

}  // namespace

class MainWindowPlayTest : public QObject, WindowFixture {
    Q_OBJECT

private slots:
    void initTestCase() {
        // The tests bring their own session runtime directory for the private preview folder.
        QVERIFY(runtime_.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime_.path()));
        wavPath_ = QString::fromStdString((*preview::PrivateTempDir() / preview::kMelodyWavName).string());
        QVERIFY(wavPath_.startsWith(runtime_.path()));
    }
    void init() {
        Start();
        player_ = std::make_unique<FakePlayer>();
        window_->SetPreviewPlayer(*player_);
        Find<QLineEdit>(*window_, "Text1")->setText(QStringLiteral("A"));
        Find<QPlainTextEdit>(*window_, "Text5")->setPlainText(QStringLiteral("4c"));
        QFile::remove(wavPath_);
    }
    void cleanup() { Release(); }

    // The 36-byte record goes over old.re in the chosen format (the bank's is suggested); a
    // cancelled dialog or a melody that cannot be encoded writes nothing.
    void saveAsRe() {
        const std::optional<TextFormat> cancel;
        const struct {
            const char* what;
            const char* tempo;
            bool chooseFile;
            std::optional<std::optional<TextFormat>> format;  // the format dialog's answer, if asked
            bool unicodeBank;                                 // a Unicode firmware is loaded
            QByteArray written;                               // what old.re holds afterwards
        } cases[] = {
            {"ASCII", "140", true, TextFormat::Ascii, false, kAsciiRecord},
            {"Unicode bank", "140", true, TextFormat::Ascii, true, kAsciiRecord},
            {"file dialog cancelled", "140", false, std::nullopt, false, kOldFile},
            {"format cancelled", "140", true, cancel, false, kOldFile},
            {"tempo 0", "0", true, TextFormat::Ascii, false, kOldFile},
        };
        for (const auto& c : cases) {
            init();
            const QString old = WriteAll(File("old.re"), kOldFile);
            if (c.unicodeBank) {
                window_->SetBank(UnicodeBank(*window_, {"4c"}));
            }
            Find<QLineEdit>(*window_, "Text4")->setText(QLatin1String(c.tempo));
            prompter_->AnswerFile(c.chooseFile ? std::optional(old) : std::nullopt);
            if (c.format) {
                prompter_->AnswerTextFormat(*c.format);
            }
            const bool failed = qstrcmp(c.tempo, "0") == 0;
            if (failed) {
                prompter_->AnswerMessage(MessageAnswer::Ok);
            }
            Press(Find<QPushButton>(*window_, "Command2"));

            QVERIFY2(ReadAll(old) == c.written, c.what);
            QCOMPARE(prompter_->fileRequests.at(0).fileName, QStringLiteral("A"));
            if (c.format) {
                QCOMPARE(prompter_->formatSuggestions.at(0), c.unicodeBank ? TextFormat::Unicode : TextFormat::Ascii);
            }
            QVERIFY(!failed || prompter_->messages.at(0).icon == MessageIcon::Exclamation);
        }
    }

    void playSelectedMelody() {
        for (const int row : {-1, 1}) {  // -1: nothing selected
            init();
            const belltower::bank::ToneBank tones = UnicodeBank(*window_, {"4c", "8d 8e"});
            window_->SetBank(tones);
            Find<QListWidget>(*window_, "List2")->setCurrentRow(row);
            Find<QCheckBox>(*window_, "Check5")->setChecked(false);
            Find<QComboBox>(*window_, "Combo1")->setCurrentIndex(2);
            Press(Find<QPushButton>(*window_, "Command17"));
            if (row < 0) {
                QVERIFY(player_->calls.empty() && !QFile::exists(wavPath_));
                continue;
            }
            QCOMPARE(player_->calls, (std::vector<std::string>{"Stop", "Play"}));
            QVERIFY(player_->playedBytes.at(0) == Wav(tones.Records[1], false, false, 2));
        }
    }

    // Only the selected notes play, with the options as they stand at the press.
    void playEditFields() {
        const struct {
            const char* notes;
            int selectFrom, selectLength;  // nothing selected when the length is 0
            bool vibration, half;          // Check5, Check6
            int hardware;                  // Combo1
            const char* tempo;
            const char* played;  // nullptr: nothing plays
            const char* message;
        } cases[] = {
            // Vibration tags and c4, below the phone's range, make every option count.
            {"8d 4c v1 4d 8c4 v0 8g", 3, 8, true, false, 1, "140", "4c v1 4d", nullptr},
            {"8d 4c v1 4d 8c4 v0 8g", 5, 0, false, true, 2, "140", "8d 4c v1 4d 8c4 v0 8g", nullptr},
            // Three whole notes at 1 BPM: past the ten minutes a preview may last.
            {"1c 1c 1c", 0, 0, true, true, 0, "1", "1c 1c 1c", "10 minutes"},
            {"8x 4c", 0, 0, true, false, 1, "0", nullptr, "4c"},
        };
        for (const auto& c : cases) {
            init();
            Find<QPlainTextEdit>(*window_, "Text5")->setPlainText(QLatin1String(c.notes));
            QTextCursor cursor = Find<QPlainTextEdit>(*window_, "Text5")->textCursor();
            cursor.setPosition(c.selectFrom);
            cursor.setPosition(c.selectFrom + c.selectLength, QTextCursor::KeepAnchor);
            Find<QPlainTextEdit>(*window_, "Text5")->setTextCursor(cursor);
            Find<QLineEdit>(*window_, "Text4")->setText(QLatin1String(c.tempo));
            Find<QCheckBox>(*window_, "Check5")->setChecked(c.vibration);
            Find<QCheckBox>(*window_, "Check6")->setChecked(c.half);
            Find<QComboBox>(*window_, "Combo1")->setCurrentIndex(c.hardware);
            if (c.message != nullptr) {
                prompter_->AnswerMessage(MessageAnswer::Ok);
            }
            Press(Find<QPushButton>(*window_, "Command18"));

            QCOMPARE(Lines(Find<QListWidget>(*window_, "List1")).join(QLatin1Char(' ')),
                     QLatin1String(c.played ? c.played : c.notes));
            QCOMPARE(prompter_->messages.size(), std::size_t{c.message != nullptr ? 1U : 0U});
            QVERIFY(c.message == nullptr || prompter_->messages[0].text.contains(QLatin1String(c.message)));
            if (c.played == nullptr) {
                QVERIFY(player_->calls.empty() && !QFile::exists(wavPath_));
                continue;
            }
            QCOMPARE(player_->calls, (std::vector<std::string>{"Stop", "Play"}));
            QCOMPARE(QString::fromStdString(player_->played.at(0).string()), wavPath_);
            const belltower::formats::Bytes record = RecordOf(*window_, c.played);
            QVERIFY2(player_->playedBytes.at(0) == Wav(record, c.vibration, c.half, c.hardware), c.played);
            QVERIFY(player_->playedBytes.at(0) != Wav(record, !c.vibration, c.half, c.hardware));
        }
    }

    void aNewPreviewReplacesThePlayingOne() {
        Press(Find<QPushButton>(*window_, "Command18"));
        Find<QPlainTextEdit>(*window_, "Text5")->setPlainText(QStringLiteral("8d 8e"));
        Press(Find<QPushButton>(*window_, "Command18"));
        QCOMPARE(player_->calls, (std::vector<std::string>{"Stop", "Play", "Stop", "Play"}));
        QVERIFY(player_->playedBytes.at(0) != player_->playedBytes.at(1));
    }

    void aPreviewThatCannotBeWrittenIsReported() {
        QVERIFY(QDir().mkpath(wavPath_));  // a folder in the way of the WAV file
        prompter_->AnswerMessage(MessageAnswer::Ok);
        Press(Find<QPushButton>(*window_, "Command18"));
        QVERIFY(QDir(wavPath_).removeRecursively());
        QCOMPARE(prompter_->messages.at(0).icon, MessageIcon::Exclamation);
        QVERIFY(player_->calls.empty());
    }

    void aDroppedFileOpensAsAtStartUp() {
        const std::pair<const char*, bool> cases[] = {
            {"window", true}, {"notes", true}, {"name", true}, {"window", false}};  // false: a web address
        for (const auto& [where, local] : cases) {
            init();
            const QString path = WriteAll(File("dropped.rtx"), "Dropped:d=16,o=5:c d e");
            QMimeData data;
            data.setUrls({local ? QUrl::fromLocalFile(path) : QUrl(QStringLiteral("https://example.org/a.rtx")),
                          QUrl::fromLocalFile(File("second.rtx"))});
            QWidget* target = qstrcmp(where, "notes") == 0  ? Find<QPlainTextEdit>(*window_, "Text5")->viewport()
                              : qstrcmp(where, "name") == 0 ? static_cast<QWidget*>(Find<QLineEdit>(*window_, "Text1"))
                                                            : window_.get();
            if (local) {
                prompter_->AnswerMessage(MessageAnswer::Discard);  // the melody typed in init()
            }
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(target, &enter);
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(target, &drop);
            QCoreApplication::processEvents();

            QVERIFY2(enter.isAccepted() == local && drop.isAccepted() == local, where);
            QVERIFY(!local || drop.dropAction() == Qt::CopyAction);  // the file stays where it is
            QCOMPARE(Find<QLineEdit>(*window_, "Text1")->text(),
                     local ? QStringLiteral("Dropped") : QStringLiteral("A"));
            QCOMPARE(Find<QPlainTextEdit>(*window_, "Text5")->toPlainText(),
                     local ? QStringLiteral("c d e") : QStringLiteral("4c"));
        }
    }

private:
    QTemporaryDir runtime_;
    QString wavPath_;
    std::unique_ptr<FakePlayer> player_;
};

QTEST_MAIN(MainWindowPlayTest)
#include "main_window_play_tests.moc"
