// The main window's Save as RE, the two play buttons and dropped files, with scripted dialogs
// and a recording player.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QUrl>
#include <QtEndian>

#include <filesystem>
#include <memory>

#include "bank/tone_bank.h"
#include "fake_player.h"
#include "fake_prompter.h"
#include "melody/tone_encoder.h"
#include "preview/temp_files.h"
#include "preview/wav_writer.h"
#include "ui/main_window.h"

using belltower::formats::TextFormat;
using belltower::ui::Form1;
using belltower::ui::MessageAnswer;
using belltower::ui::MessageIcon;
using belltower::ui::testing::FakePlayer;
using belltower::ui::testing::FakePrompter;
namespace preview = belltower::preview;

namespace {

// Name A, index 1, empty ID, notes "4c", with the window's initial settings (duration 8,
// octave 6, 140 BPM, staccato 0, delay 1, no check box ticked).
// clang-format off
const QByteArray kAsciiRecord = QByteArray::fromHex(
    "00000001"      // index 1
    "00000024"      // record length 36
    "20202020"      // ID: four blanks
    "00"            // zero byte
    "00000002"      // name-length dword: 1 character + 1
    "41"            // "A"
    "00"            // terminator
    "0002fc090a01"  // opening
    "8b34"          // c6, a quarter at 140 BPM: 52 units
    "0afe4001070b"  // closing marker, delay of 1 unit, end
    "ffffff");      // fill to 36
// clang-format on
// The same in Unicode: two zero bytes, purpose 0 and length 2, "A" and its terminator in two
// bytes each; 36 bytes without fill.
const QByteArray kUnicodeRecord =
    QByteArray::fromHex("00000001 00000024 20202020 0000 00000002 0041 0000 0002fc090a01 8b34 0afe4001070b");
// No notes: the opening and the closing only.
const QByteArray kEmptyRecord = QByteArray::fromHex("00000001 00000020 20202020 00 00000002 41 00 0002fc090a01 "
                                                    "0afe4001070b ff");
const QString kNoData = QStringLiteral("No data! This melody will not play.");
const QByteArray kOldFile("an older file, kept byte for byte\x00\xff", 35);

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QString Tokens(const QListWidget* list) {
    QStringList items;
    for (int row = 0; row < list->count(); ++row) {
        items << list->item(row)->text();
    }
    return items.join(QLatin1Char(' '));
}

quint32 WavField(const QByteArray& wav, int offset) {
    return qFromLittleEndian<quint32>(wav.constData() + offset);
}

// The record of these notes with the window's other fields as they are.
belltower::formats::Bytes RecordOf(const Form1& window, const char* notes, TextFormat format = TextFormat::Ascii) {
    belltower::melody::MelodyFields fields = window.EditFields();
    fields.notes = notes;
    return belltower::melody::EncodeMelody(fields, format, std::nullopt).record.value();
}

QByteArray Wav(const belltower::formats::Bytes& record, bool vibration, bool half, int hardware) {
    const preview::WavResult rendered = preview::WriteWav(record, !vibration, half, hardware);
    return QByteArray(reinterpret_cast<const char*>(rendered.wav.data()), static_cast<qsizetype>(rendered.wav.size()));
}

// A Unicode bank of these melodies, all named A.
belltower::bank::ToneBank UnicodeBank(const Form1& window, std::initializer_list<const char*> notes) {
    belltower::bank::ToneBank tones;
    tones.UnicodeNames = TextFormat::Unicode;
    for (const char* melody : notes) {
        tones.Records.push_back(RecordOf(window, melody, TextFormat::Unicode));
        tones.Lines.emplace_back("A");
    }
    return tones;
}

}  // namespace

class Form1PlayTest : public QObject {
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
        window_.reset();
        prompter_ = std::make_unique<FakePrompter>();
        player_ = std::make_unique<FakePlayer>();
        window_ = std::make_unique<Form1>(*prompter_);
        window_->SetPreviewPlayer(*player_);
        window_->Text1->setText(QStringLiteral("A"));
        window_->Text5->setPlainText(QStringLiteral("4c"));
        folder_ = std::make_unique<QTemporaryDir>();
        QFile::remove(wavPath_);
    }
    void cleanup() {
        window_.reset();
        prompter_.reset();
        player_.reset();
        folder_.reset();
    }

    void saveAsRe() {
        struct Case {
            const char* what;
            const char* name;
            const char* notes;
            const char* tempo;
            std::optional<QString> file;                      // in the test folder, which holds old.re
            std::optional<std::optional<TextFormat>> format;  // the format dialog's answer, if asked
            QString message;                                  // part of the one message expected
            MessageIcon icon;
            QByteArray written;        // what old.re or new.re holds afterwards
            bool unicodeBank = false;  // a Unicode firmware is loaded
        };
        const std::optional<TextFormat> cancel;
        const Case cases[] = {
            {"ASCII", "A", "4c", "140", "new.re", TextFormat::Ascii, {}, MessageIcon::None, kAsciiRecord},
            {"Unicode", "A", "4c", "140", "new.re", TextFormat::Unicode, {}, MessageIcon::None, kUnicodeRecord},
            {"over a file", "A", "4c", "140", "old.re", TextFormat::Ascii, {}, MessageIcon::None, kAsciiRecord},
            {"Unicode bank", "A", "4c", "140", "new.re", TextFormat::Ascii, {}, MessageIcon::None, kAsciiRecord, true},
            {"no notes", "A", "", "140", "new.re", TextFormat::Ascii, kNoData, MessageIcon::None, kEmptyRecord},
            {"file dialog cancelled", "A", "4c", "140", std::nullopt, std::nullopt, {}, MessageIcon::None, kOldFile},
            {"empty name, empty path", "", "4c", "140", QString(), std::nullopt, {}, MessageIcon::None, kOldFile},
            {"format cancelled", "A", "4c", "140", "old.re", cancel, {}, MessageIcon::None, kOldFile},
            {"tempo 0", "A", "4c\xe9", "0", "old.re", TextFormat::Ascii, QStringLiteral("\"4c\u00e9\""),
             MessageIcon::Exclamation, kOldFile},
            {"no folder", "A", "4c", "140", "no/a.re", TextFormat::Ascii, "No such file", MessageIcon::Exclamation,
             kOldFile},
        };
        for (const Case& c : cases) {
            init();
            QFile old(folder_->filePath(QStringLiteral("old.re")));
            QVERIFY(old.open(QIODevice::WriteOnly) && old.write(kOldFile) == kOldFile.size());
            old.close();
            if (c.unicodeBank) {
                window_->SetBank(UnicodeBank(*window_, {"4c"}));
            }
            window_->Text1->setText(QLatin1String(c.name));
            window_->Text5->setPlainText(QLatin1String(c.notes));
            window_->Text4->setText(QLatin1String(c.tempo));
            window_->List1->addItem(QStringLiteral("tokens of an earlier run"));
            prompter_->AnswerFile(c.file && !c.file->isEmpty() ? folder_->filePath(*c.file) : c.file);
            if (c.format) {
                prompter_->AnswerTextFormat(*c.format);
            }
            if (!c.message.isEmpty()) {
                prompter_->AnswerMessage(MessageAnswer::Ok);
            }
            QTest::mouseClick(window_->Command2, Qt::LeftButton);

            const QString target =
                folder_->filePath(c.file == QStringLiteral("new.re") ? *c.file : QStringLiteral("old.re"));
            QVERIFY2(ReadAll(target) == c.written, c.what);
            QCOMPARE(QDir(folder_->path()).entryList(QDir::Files).size(), c.file == QStringLiteral("new.re") ? 2 : 1);
            QCOMPARE(prompter_->fileRequests.at(0).title, QStringLiteral("Save Raw File..."));
            QCOMPARE(prompter_->fileRequests.at(0).fileName, QLatin1String(c.name));
            if (c.format) {  // the bank's format is suggested; the choice decides
                QCOMPARE(prompter_->formatSuggestions.at(0), c.unicodeBank ? TextFormat::Unicode : TextFormat::Ascii);
            }
            const bool encoded = c.format && c.format->has_value();
            QCOMPARE(Tokens(window_->List1), QLatin1String(encoded ? c.notes : "tokens of an earlier run"));
            QCOMPARE(prompter_->messages.size(), std::size_t{c.message.isEmpty() ? 0U : 1U});
            if (!c.message.isEmpty()) {
                QVERIFY2(prompter_->messages[0].text.contains(c.message), qPrintable(prompter_->messages[0].text));
                QCOMPARE(prompter_->messages[0].icon, c.icon);
            }
        }
    }

    void playSelectedMelody() {
        for (const int row : {-1, 0, 1}) {  // -1: nothing selected
            init();
            const belltower::bank::ToneBank tones = UnicodeBank(*window_, {"4c", "8d 8e"});
            window_->SetBank(tones);
            window_->List2->setCurrentRow(row);
            window_->Check5->setChecked(false);
            window_->Combo1->setCurrentIndex(2);
            QTest::mouseClick(window_->Command17, Qt::LeftButton);

            QVERIFY(prompter_->messages.empty());
            if (row < 0) {
                QVERIFY(player_->calls.empty() && !QFile::exists(wavPath_));
                continue;
            }
            QCOMPARE(player_->calls, (std::vector<std::string>{"Stop", "Play"}));
            const auto& record = tones.Records.at(static_cast<std::size_t>(row));
            QVERIFY(player_->playedBytes.at(0) == Wav(record, false, false, 2));
        }
    }

    void playEditFields() {
        struct Case {
            const char* notes;
            int selectFrom, selectLength;  // nothing selected when the length is 0
            bool vibration, half;          // Check5, Check6
            int hardware;                  // Combo1
            const char* played;            // nullptr: nothing plays
            QString message;
            MessageIcon icon;
        };
        // Vibration tags and c4, below the phone's range, make every option count.
        const char* const all = "8d 4c v1 4d 8c4 v0 8g";
        const Case cases[] = {
            {all, 3, 8, true, false, 1, "4c v1 4d", {}, MessageIcon::None},
            {all, 4, 4, true, false, 1, "c v1", {}, MessageIcon::None},
            {all, 5, 0, true, false, 1, all, {}, MessageIcon::None},
            {all, 0, 0, false, false, 1, all, {}, MessageIcon::None},
            {all, 0, 0, true, true, 0, all, {}, MessageIcon::None},
            {all, 0, 0, false, true, 2, all, {}, MessageIcon::None},
            {"", 0, 0, true, false, 1, "", kNoData, MessageIcon::None},
            {"8x 4c", 0, 0, true, false, 1, nullptr, "4c", MessageIcon::Exclamation},  // at tempo 0
        };
        for (const Case& c : cases) {
            init();
            window_->Text5->setPlainText(QLatin1String(c.notes));
            QTextCursor cursor = window_->Text5->textCursor();
            cursor.setPosition(c.selectFrom);
            cursor.setPosition(c.selectFrom + c.selectLength, QTextCursor::KeepAnchor);
            window_->Text5->setTextCursor(cursor);
            window_->Text4->setText(c.played != nullptr ? QStringLiteral("140") : QStringLiteral("0"));
            window_->Check5->setChecked(c.vibration);
            window_->Check6->setChecked(c.half);
            window_->Combo1->setCurrentIndex(c.hardware);
            if (!c.message.isEmpty()) {
                prompter_->AnswerMessage(MessageAnswer::Ok);
            }
            QTest::mouseClick(window_->Command18, Qt::LeftButton);

            QCOMPARE(Tokens(window_->List1), QLatin1String(c.played != nullptr ? c.played : c.notes));
            QCOMPARE(prompter_->messages.size(), std::size_t{c.message.isEmpty() ? 0U : 1U});
            if (!c.message.isEmpty()) {
                QVERIFY(prompter_->messages[0].text.contains(c.message));
                QCOMPARE(prompter_->messages[0].icon, c.icon);
            }
            if (c.played == nullptr) {
                QVERIFY(player_->calls.empty() && !QFile::exists(wavPath_));
                continue;
            }
            QCOMPARE(player_->calls, (std::vector<std::string>{"Stop", "Play"}));
            QCOMPARE(QString::fromStdString(player_->played.at(0).string()), wavPath_);
            const QByteArray& wav = player_->playedBytes.at(0);
            const belltower::formats::Bytes record = RecordOf(*window_, c.played);
            QVERIFY2(wav == Wav(record, c.vibration, c.half, c.hardware), c.played);
            QVERIFY(c.played[0] == '\0' || wav != Wav(record, !c.vibration, c.half, c.hardware));
            QCOMPARE(WavField(wav, 24), c.half ? preview::kHalfSampleRate : preview::kSampleRate);
        }
        // Only this user can enter the preview's folder; no record file is left in it.
        const std::filesystem::path directory = std::filesystem::path(wavPath_.toStdString()).parent_path();
        QCOMPARE(std::filesystem::status(directory).permissions(), std::filesystem::perms::owner_all);
        QVERIFY(preview::IsPrivateDirectory(directory) && !exists(directory / preview::kMelodyReName));
    }

    void aNewPreviewReplacesThePlayingOne() {
        QTest::mouseClick(window_->Command18, Qt::LeftButton);
        window_->Text5->setPlainText(QStringLiteral("8d 8e"));
        QTest::mouseClick(window_->Command18, Qt::LeftButton);
        QCOMPARE(player_->calls, (std::vector<std::string>{"Stop", "Play", "Stop", "Play"}));
        QVERIFY(player_->playedBytes.at(0) != player_->playedBytes.at(1));
    }

    void aPreviewThatCannotBeWrittenIsReported() {
        QVERIFY(QDir().mkpath(wavPath_));  // a folder in the way of the WAV file
        prompter_->AnswerMessage(MessageAnswer::Ok);
        QTest::mouseClick(window_->Command18, Qt::LeftButton);
        QVERIFY(QDir(wavPath_).removeRecursively());
        QCOMPARE(prompter_->messages.at(0).icon, MessageIcon::Exclamation);
        QVERIFY(!prompter_->messages[0].text.isEmpty() && player_->calls.empty());
    }

    void aPreviewCutShortSaysSo() {
        // Three whole notes at 1 BPM: 241 s each, past the ten minutes a preview may last.
        window_->Text4->setText(QStringLiteral("1"));
        window_->Text5->setPlainText(QStringLiteral("1c 1c 1c"));
        window_->Check6->setChecked(true);
        prompter_->AnswerMessage(MessageAnswer::Ok);
        QTest::mouseClick(window_->Command18, Qt::LeftButton);
        QCOMPARE(player_->calls, (std::vector<std::string>{"Stop", "Play"}));
        QVERIFY(prompter_->messages.at(0).text.contains(QStringLiteral("10 minutes")));
        QCOMPARE(WavField(player_->playedBytes.at(0), 40), 600U * preview::kHalfSampleRate * 2U);
    }

    void aDroppedFileOpensAsAtStartUp() {
        const std::pair<const char*, bool> cases[] = {
            {"window", true}, {"notes", true}, {"name", true}, {"window", false}};  // false: a web address
        for (const auto& [where, local] : cases) {
            init();
            const QString path = folder_->filePath(QStringLiteral("dropped.rtx"));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("Dropped:d=16,o=5:c d e") > 0);
            file.close();
            QMimeData data;
            data.setUrls({local ? QUrl::fromLocalFile(path) : QUrl(QStringLiteral("https://example.org/a.rtx")),
                          QUrl::fromLocalFile(folder_->filePath(QStringLiteral("second.rtx")))});
            QWidget* target = qstrcmp(where, "notes") == 0  ? window_->Text5->viewport()
                              : qstrcmp(where, "name") == 0 ? static_cast<QWidget*>(window_->Text1)
                                                            : window_.get();
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(target, &enter);
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(target, &drop);
            QCoreApplication::processEvents();

            QVERIFY2(enter.isAccepted() == local && drop.isAccepted() == local, where);
            QVERIFY(!local || drop.dropAction() == Qt::CopyAction);  // the file stays where it is
            QCOMPARE(window_->Text1->text(), local ? QStringLiteral("Dropped") : QStringLiteral("A"));
            QCOMPARE(window_->Text5->toPlainText(), local ? QStringLiteral("c d e") : QStringLiteral("4c"));
        }
    }

private:
    QTemporaryDir runtime_;
    QString wavPath_;
    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<FakePrompter> prompter_;
    std::unique_ptr<FakePlayer> player_;
    std::unique_ptr<Form1> window_;
};

QTEST_MAIN(Form1PlayTest)
#include "form1_play_tests.moc"
