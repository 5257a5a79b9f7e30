// The tone bank area of the main window through its controls, with scripted dialogs and
// synthetic firmware images.
#include <string>
#include <vector>

#include "bank/firmware_reader.h"
#include "bank/re_exchange.h"
#include "formats/record.h"
#include "interchange/melody_file.h"
#include "interchange/ott.h"
#include "melody/tone_encoder.h"
#include "support/image_builder.h"
#include "window_helpers.h"

using belltower::formats::Bytes;
using belltower::formats::TextFormat;
using belltower::testing::BuildImage;
using belltower::testing::ImageLayout;
using belltower::testing::MakeRecord;
using belltower::ui::MainWindow;
using belltower::ui::MessageAnswer;
using belltower::ui::MessageButtons;
using namespace belltower::ui::testing;
namespace bank = belltower::bank;

namespace {

const Bytes kTones = {0x00, 0x02, 0xFC, 0x09, 0x0A, 0x01, 0x7F, 0x10, 0x0A, 0x0A, 0x07, 0x0B};

Bytes Record(TextFormat format, std::uint32_t index, const char* name, std::uint8_t purpose = 0) {
    return MakeRecord(format, index, "ID", name, kTones, purpose);
}

bank::ToneBank AsciiBank(const std::vector<const char*>& names) {
    bank::ToneBank tones;
    for (std::size_t i = 0; i < names.size(); ++i) {
        tones.Records.push_back(Record(TextFormat::Ascii, static_cast<std::uint32_t>(i + 1), names[i]));
        tones.Lines.emplace_back(names[i]);
    }
    return tones;
}

}  // namespace

class MainWindowBankTest : public QObject, WindowFixture {
    Q_OBJECT

private slots:
    void init() {
        Start();
        NewWindow();
    }
    void cleanup() { Release(); }

    // Load, rename, insert, move, delete, reindex and save; the saved image reads back as edited.
    void editedBankSurvivesSaveAndReload() {
        MainWindow& w = *window_;
        ImageLayout layout;
        layout.chunksBefore = {belltower::testing::MakeChunk("ABCD", Bytes(20, 0x11))};
        layout.chunksAfter = {belltower::testing::MakeChunk("EFGH", Bytes(8, 0x22))};
        layout.records = {Record(TextFormat::Ascii, 1, "A"), Record(TextFormat::Ascii, 2, "B"),
                          Record(TextFormat::Ascii, 3, "C")};
        const Bytes image = BuildImage(layout).image;
        Load(WriteFile("in.fls", image));
        QCOMPARE(Lines(Find<QListWidget>(w, "List2")), QStringList({"A", "B", "C"}));
        QVERIFY(Find<QLabel>(w, "email")->text().startsWith(QStringLiteral("PPM NHM-5 V 5.31 synthetic test image")));

        Click(1);
        QCOMPARE(Panel(), QStringList({"B", "ID  ", "2", "n/a", "Preview twice", "Apply to B"}));
        QVERIFY(Find<QPushButton>(w, "Command11")->isEnabled() && !Find<QLineEdit>(w, "Text13")->isEnabled());
        Find<QLineEdit>(w, "Text10")->setText(QStringLiteral("Bee"));
        Press(Find<QPushButton>(w, "Command11"));
        Click(0);
        Find<QLineEdit>(w, "Text1")->setText(QStringLiteral("New"));
        Find<QPlainTextEdit>(w, "Text5")->setPlainText(QStringLiteral("c d,e"));
        Press(Find<QPushButton>(w, "Command7"));  // insert above "A"
        QCOMPARE(Lines(Find<QListWidget>(w, "List2")), QStringList({"New", "A", "Bee", "C"}));
        QCOMPARE(Find<QLabel>(w, "Label12")->text(), QStringLiteral("4"));
        Click(0);
        Press(Find<QPushButton>(w, "Command5"));
        QCOMPARE(Lines(Find<QListWidget>(w, "List2")), QStringList({"A", "New", "Bee", "C"}));
        QVERIFY(Find<QListWidget>(w, "List2")->currentRow() == 1 && Find<QPushButton>(w, "Command11")->isEnabled());
        Click(3);
        Press(Find<QPushButton>(w, "Command8"));
        QCOMPARE(Lines(Find<QListWidget>(w, "List2")), QStringList({"A", "New", "Bee"}));
        QVERIFY(Find<QListWidget>(w, "List2")->selectedItems().isEmpty() &&
                !Find<QPushButton>(w, "Command11")->isEnabled());
        QCOMPARE(Panel(), QStringList({"", "", "", "", "", "Apply"}));  // nothing selected, nothing shown
        Click(2);
        Press(Find<QPushButton>(w, "Command10"));
        QCOMPARE(Panel(), QStringList({"Bee", "ID  ", "3", "n/a", "Preview twice", "Apply to Bee"}));

        const QString saved = File("out.fls");
        prompter_->AnswerFile(saved);
        Press(Find<QPushButton>(w, "Command9"));
        QVERIFY(prompter_->messages.empty());
        QCOMPARE(ReadAll(saved).size(), qsizetype(image.size()));

        const bank::ToneBank edited = w.Bank();
        NewWindow();
        Load(saved);
        QCOMPARE(Lines(Find<QListWidget>(*window_, "List2")), QStringList({"A", "New", "Bee"}));
        QVERIFY(window_->Bank().Records == edited.Records && window_->Bank().FirmwareHead == edited.FirmwareHead);
        for (std::size_t i = 0; i < 3; ++i) {
            QCOMPARE(belltower::formats::RecordIndex(window_->Bank().Records[i]).value(), int(i + 1));
        }
    }

    // "Keep TONE chunk" keeps the list while the header changes, until the formats differ.
    void keepingTheBankAcrossLoads() {
        MainWindow& w = *window_;
        Load(WriteImage("a.fls", {Record(TextFormat::Ascii, 1, "A")}));
        Find<QCheckBox>(w, "Check4")->setChecked(true);
        ImageLayout second;
        second.header = belltower::testing::PpmHeader("second image");
        second.records = {Record(TextFormat::Ascii, 1, "X")};
        Load(WriteFile("b.fls", BuildImage(second).image));
        QCOMPARE(Lines(Find<QListWidget>(w, "List2")), QStringList({"A"}));
        QVERIFY(Find<QLabel>(w, "email")->text().startsWith(QStringLiteral("PPM second image")) &&
                Find<QCheckBox>(w, "Check4")->isChecked());

        prompter_->AnswerMessage(MessageAnswer::Ok);
        Load(WriteImage("u.fls", {Record(TextFormat::Unicode, 1, "U"), Record(TextFormat::Unicode, 2, "V")}));
        QCOMPARE(prompter_->messages.at(0).text.toStdString(), std::string(bank::kDifferentFormats));
        QVERIFY(!Find<QCheckBox>(w, "Check4")->isChecked());
        QCOMPARE(Lines(Find<QListWidget>(w, "List2")), QStringList({"U", "V"}));
        QCOMPARE(Find<QLabel>(w, "Label12")->text(), QStringLiteral("2"));
    }

    void failedLoadChangesNothing() {
        const std::pair<QString, const char*> cases[] = {
            {WriteFile("small.fls", Bytes(70000, 0xFF)), "doesn't contain PPM section or is not in Dejan/RAW format!"},
            {File("missing.fls"), "No such file or directory"},
        };
        for (const auto& [path, message] : cases) {
            NewWindow();
            Load(WriteImage("good.fls", {Record(TextFormat::Ascii, 1, "A")}));
            Click(0);
            const bank::ToneBank before = window_->Bank();
            const QString email = Find<QLabel>(*window_, "email")->text();
            prompter_->AnswerMessage(MessageAnswer::Ok);
            Load(path);
            QVERIFY2(prompter_->messages.at(0).text.contains(QLatin1String(message)), message);
            QVERIFY(window_->Bank() == before && !Find<QPushButton>(*window_, "Command11")->isEnabled());
            QCOMPARE(Lines(Find<QListWidget>(*window_, "List2")), QStringList({"A"}));
            QCOMPARE(Find<QLabel>(*window_, "email")->text(), email);
        }
    }

    // 66 ASCII melodies without firmware, two pairs sharing an index: Cancel on the first index
    // box skips the second and the save goes on.
    void saveWarningsInOrder() {
        bank::ToneBank tones = AsciiBank(std::vector<const char*>(66, "M"));
        tones.Records[4] = Record(TextFormat::Ascii, 2, "M");
        tones.Records[5] = Record(TextFormat::Ascii, 3, "M");
        window_->SetBank(tones);
        for (MessageAnswer answer : {MessageAnswer::Ok, MessageAnswer::Ok, MessageAnswer::Cancel}) {
            prompter_->AnswerMessage(answer);
        }
        const QString path = File("bank.fls");
        prompter_->AnswerFile(path);
        Press(Find<QPushButton>(*window_, "Command9"));
        const auto& shown = prompter_->messages;
        QCOMPARE(shown.size(), std::size_t{3});
        QCOMPARE(shown[2].text, QStringLiteral("M has the same index 2 as M. Please correct it."));
        QCOMPARE(shown[2].buttons, MessageButtons::OkCancel);
        QCOMPARE(ReadAll(path).size(), qsizetype(36 + 66 * tones.Records[0].size()));
    }

    // A chain grown over data behind it asks first; Cancel asks for no file.
    void cancelledSaveWritesNothing() {
        ImageLayout layout;
        layout.records = {Record(TextFormat::Ascii, 1, "A")};
        layout.tail = Bytes(64, 0x33);
        Load(WriteFile("in.fls", BuildImage(layout).image));
        Click(0);
        Find<QPlainTextEdit>(*window_, "Text5")->setPlainText(QStringLiteral("c"));
        Find<QLineEdit>(*window_, "Text8")->setText(QStringLiteral("2"));
        Press(Find<QPushButton>(*window_, "Command7"));
        prompter_->AnswerMessage(MessageAnswer::Cancel);
        Press(Find<QPushButton>(*window_, "Command9"));
        QCOMPARE(prompter_->messages.back().buttons, MessageButtons::OkCancel);
        QCOMPARE(prompter_->fileRequests.size(), std::size_t{1});
    }

    void exportConvertsOrWritesNothing() {
        window_->SetBank(AsciiBank({"Tune"}));
        const QString path = File("tune.re");
        Click(0);
        prompter_->AnswerFile(path);
        prompter_->AnswerTextFormat(TextFormat::Unicode);
        Press(Find<QPushButton>(*window_, "Command14"));
        QCOMPARE(prompter_->fileRequests.back().fileName, QStringLiteral("Tune"));
        QCOMPARE(prompter_->formatSuggestions.back(), TextFormat::Ascii);
        QCOMPARE(ReadAll(path), AsQBytes(bank::RecordToUnicode(window_->Bank().Records[0]).value()));

        const QByteArray before = ReadAll(path);
        prompter_->AnswerFile(std::nullopt);
        Press(Find<QPushButton>(*window_, "Command14"));
        prompter_->AnswerFile(path);
        prompter_->AnswerTextFormat(std::nullopt);
        Press(Find<QPushButton>(*window_, "Command14"));
        QCOMPARE(prompter_->formatSuggestions.size(), std::size_t{2});
        QCOMPARE(ReadAll(path), before);
    }

    // A firmware melody opens in the edit fields (double click, or Edit in the list's menu),
    // is changed and replaces itself; unchanged, it replaces itself byte for byte.
    void melodyFromTheBankIsEditedAndReplaced() {
        MainWindow& w = *window_;
        belltower::melody::MelodyFields fields;
        fields.name = "Tune";
        fields.id = "AB";
        fields.index = "7";
        fields.staccato = "6";
        fields.notes = "4c 8d#6 4.e t200 1c5 16p g";
        const Bytes record = belltower::melody::EncodeReRecord(fields, TextFormat::Unicode).record.value();
        Load(WriteImage("u.fls", {record, Record(TextFormat::Unicode, 2, "B")}));
        QListWidget* list = Find<QListWidget>(w, "List2");
        Click(0);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        QCOMPARE(Find<QLineEdit>(w, "Text1")->text(), QStringLiteral("Tune"));
        QCOMPARE(Find<QLineEdit>(w, "Text9")->text(), QStringLiteral("6"));
        Press(Find<QPushButton>(w, "Command6"));
        QCOMPARE(w.Bank().Records[0], record);

        Click(1);
        Find<QPlainTextEdit>(w, "Text5")->setPlainText(QStringLiteral("4c 4d"));
        Click(0);
        prompter_->AnswerMessage(MessageAnswer::Discard);  // the typed notes are unsaved work
        list->actions().first()->trigger();
        QCOMPARE(list->actions().first()->text(), QStringLiteral("&Edit"));
        const belltower::melody::MelodyFields decoded = belltower::interchange::ReadMelodyRecord(record).fields;
        QCOMPARE(Find<QPlainTextEdit>(w, "Text5")->toPlainText().toStdString(), decoded.notes);
        Find<QPlainTextEdit>(w, "Text5")->setPlainText(QStringLiteral("4c 4d"));
        Press(Find<QPushButton>(w, "Command6"));
        belltower::melody::MelodyFields changed = decoded;
        changed.notes = "4c 4d";
        QCOMPARE(w.Bank().Records[0], belltower::melody::EncodeReRecord(changed, TextFormat::Unicode).record.value());
    }

    // Open RTX reads MIDI and .ott files by their content; a damaged one is refused in one
    // message and leaves the fields alone.
    void openReadsOtherMelodyFiles() {
        MainWindow& w = *window_;
        belltower::melody::MelodyFields fields;
        fields.name = "Ott";
        fields.notes = "4c 8e 8g 2c7";
        const Bytes ott = belltower::interchange::WriteOtt(fields).value().bytes;
        const Bytes midi =
            belltower::interchange::WriteMelodyFields(fields, belltower::interchange::MelodyOutput::Mid).value().bytes;
        for (const Bytes& file : {ott, midi}) {
            prompter_->AnswerFile(WriteFile("tune.bin", file));
            Press(Find<QPushButton>(w, "Command1"));
            QCOMPARE(Find<QPlainTextEdit>(w, "Text5")->toPlainText().toStdString(),
                     belltower::interchange::ReadMelodyFile(file).value().fields.notes);
        }
        Bytes damaged = midi;
        damaged.resize(20);
        prompter_->AnswerFile(WriteFile("bad.mid", damaged));
        prompter_->AnswerMessage(MessageAnswer::Ok);
        Press(Find<QPushButton>(w, "Command1"));
        QVERIFY(prompter_->messages.back().text.startsWith(QStringLiteral("bad.mid cannot be opened: ")));
        QCOMPARE(Find<QPlainTextEdit>(w, "Text5")->toPlainText().toStdString(),
                 belltower::interchange::ReadMelodyFile(midi).value().fields.notes);
    }

    // Export writes MIDI or .ott when the chosen name says so, without the format question.
    void exportWritesMidiAndOtt() {
        belltower::melody::MelodyFields fields;
        fields.name = "Tune";
        fields.notes = "4c 8e 8g";
        bank::ToneBank tones;
        tones.Records = {belltower::melody::EncodeReRecord(fields, TextFormat::Ascii).record.value()};
        tones.Lines = {"Tune"};
        window_->SetBank(tones);
        Click(0);
        prompter_->AnswerFile(File("tune.mid"));
        Press(Find<QPushButton>(*window_, "Command14"));
        const auto ott =
            belltower::interchange::WriteMelodyRecord(tones.Records[0], belltower::interchange::MelodyOutput::Ott);
        prompter_->AnswerFile(File("tune.ott"));
        if (!ott.value().warnings.empty()) {
            prompter_->AnswerMessage(MessageAnswer::Ok);
        }
        Press(Find<QPushButton>(*window_, "Command14"));
        QVERIFY(prompter_->formatSuggestions.empty());
        QVERIFY(ReadAll(File("tune.mid")).startsWith("MThd"));
        QCOMPARE(ReadAll(File("tune.ott")), AsQBytes(ott.value().bytes));
    }

    // Import replaces the selected melody (keeping its index, ID and purpose); a rejected file
    // changes nothing, whether it replaces or is inserted.
    void importReplacesOrChangesNothing() {
        Load(WriteImage("u.fls", {Record(TextFormat::Unicode, 5, "Old", 2)}));
        Click(0);
        prompter_->AnswerFile(WriteFile("imp.re", MakeRecord(TextFormat::Ascii, 99, "ZZ", "Imp", kTones)));
        Press(Find<QPushButton>(*window_, "Command12"));
        QCOMPARE(Panel(), QStringList({"Imp", "ID  ", "5", "2", "Preview twice", "Apply to Imp"}));

        const bank::ToneBank before = window_->Bank();
        for (QPushButton* command :
             {Find<QPushButton>(*window_, "Command12"), Find<QPushButton>(*window_, "Command13")}) {
            Click(0);
            prompter_->AnswerFile(WriteFile("bad.re", Bytes(7, 0)));
            prompter_->AnswerMessage(MessageAnswer::Ok);
            Press(command);
            QVERIFY(window_->Bank() == before && Lines(Find<QListWidget>(*window_, "List2")) == QStringList({"Imp"}));
        }
    }

    void damagedRecordIsShownAsDamaged() {
        bank::ToneBank tones = AsciiBank({"A", "B"});
        tones.Records[1].resize(12);
        window_->SetBank(tones);
        Click(0);
        QVERIFY(Find<QPushButton>(*window_, "Command11")->isEnabled());
        Click(1);
        QVERIFY(Find<QLabel>(*window_, "Label13")->text().contains(QStringLiteral("Damaged")));
        QVERIFY(Find<QLineEdit>(*window_, "Text10")->text().isEmpty() &&
                !Find<QPushButton>(*window_, "Command11")->isEnabled());
    }

private:
    // What the property panel shows: name, ID, index, purpose, play mode, Apply's caption.
    QStringList Panel() const {
        const MainWindow& w = *window_;
        return {Find<QLineEdit>(w, "Text10")->text(), Find<QLineEdit>(w, "Text11")->text(),
                Find<QLineEdit>(w, "Text12")->text(), Find<QLineEdit>(w, "Text13")->text(),
                Find<QLabel>(w, "Label13")->text(),   Find<QPushButton>(w, "Command11")->text()};
    }
    void NewWindow() {
        Fresh();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }
    QString WriteFile(const char* name, const Bytes& bytes) { return WriteAll(File(name), AsQBytes(bytes)); }
    QString WriteImage(const char* name, std::vector<Bytes> records) {
        ImageLayout layout;
        layout.records = std::move(records);
        return WriteFile(name, BuildImage(layout).image);
    }
    void Load(const QString& path) {
        prompter_->AnswerFile(path);
        Press(Find<QPushButton>(*window_, "Command3"));
    }
    void Click(int row) {
        QListWidget* list = Find<QListWidget>(*window_, "List2");
        list->scrollToItem(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    }
};

QTEST_MAIN(MainWindowBankTest)
#include "main_window_bank_tests.moc"
