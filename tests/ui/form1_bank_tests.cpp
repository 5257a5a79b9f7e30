// The tone bank area of the main window through its controls, with scripted dialogs and
// synthetic firmware images.
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "bank/firmware_reader.h"
#include "bank/re_exchange.h"
#include "fake_prompter.h"
#include "formats/record.h"
#include "support/image_builder.h"
#include "ui/main_window.h"

using belltower::formats::Bytes;
using belltower::formats::TextFormat;
using belltower::testing::BuildImage;
using belltower::testing::ImageLayout;
using belltower::testing::MakeChunk;
using belltower::testing::MakeRecord;
using belltower::ui::Form1;
using belltower::ui::MessageAnswer;
using belltower::ui::MessageButtons;
using belltower::ui::MessageIcon;
using belltower::ui::testing::FakePrompter;
namespace bank = belltower::bank;

namespace {

const Bytes kTones = {0x00, 0x02, 0xFC, 0x09, 0x0A, 0x01, 0x7F, 0x10, 0x0A, 0x0A, 0x07, 0x0B};

Bytes Record(TextFormat format, std::uint32_t index, const char* name, std::uint8_t purpose = 0) {
    return MakeRecord(format, index, "ID", name, kTones, purpose);
}

QByteArray AsBytes(const Bytes& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList Lines(const QListWidget* list) {
    QStringList lines;
    for (int row = 0; row < list->count(); ++row) {
        lines << list->item(row)->text();
    }
    return lines;
}

std::vector<std::string> BankLines(const std::vector<const char*>& names) {
    return {names.begin(), names.end()};
}

}  // namespace

class Form1BankTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        folder_ = std::make_unique<QTemporaryDir>();
        NewWindow();
    }
    void cleanup() {
        window_.reset();
        prompter_.reset();
    }

    // Load, rename, insert, move, delete, reindex and save; the saved image reads back as edited.
    void editedBankSurvivesSaveAndReload() {
        Form1& w = *window_;
        ImageLayout layout;
        layout.chunksBefore = {MakeChunk("ABCD", Bytes(20, 0x11))};
        layout.chunksAfter = {MakeChunk("EFGH", Bytes(8, 0x22))};
        layout.records = {Record(TextFormat::Ascii, 1, "A"), Record(TextFormat::Ascii, 2, "B"),
                          Record(TextFormat::Ascii, 3, "C")};
        const Bytes image = BuildImage(layout).image;
        Load(WriteFile("in.fls", image));
        QCOMPARE(prompter_->fileRequests.at(0).title, QStringLiteral("Open Firmware File..."));
        QCOMPARE(Lines(w.List2), QStringList({"A", "B", "C"}));
        QCOMPARE(w.Label12->text(), QStringLiteral("3"));
        QVERIFY(w.email->text().startsWith(QStringLiteral("PPM NHM-5 V 5.31 synthetic test image")));
        QVERIFY(w.email->text().endsWith(QStringLiteral("[ASCII]")));
        QVERIFY(!w.Command11->isEnabled());

        Click(1);
        QCOMPARE(Panel(), QStringList({"B", "ID  ", "2", "n/a", "Preview twice", "Apply to B"}));
        QVERIFY(w.Command11->isEnabled() && !w.Text13->isEnabled());
        w.Text10->setText(QStringLiteral("Bee"));
        QTest::mouseClick(w.Command11, Qt::LeftButton);
        QCOMPARE(w.List2->item(1)->text(), QStringLiteral("Bee"));

        Click(0);
        w.Text1->setText(QStringLiteral("New"));
        w.Text5->setPlainText(QStringLiteral("c d,e"));
        QTest::mouseClick(w.Command7, Qt::LeftButton);  // insert above "A"
        QCOMPARE(Lines(w.List2), QStringList({"New", "A", "Bee", "C"}));
        QCOMPARE(Lines(w.List1), QStringList({"c", "d", "e"}));
        QCOMPARE(w.Label12->text(), QStringLiteral("4"));
        QCOMPARE(w.Command11->text(), QStringLiteral("Apply to New"));
        QTest::mouseClick(w.Command4, Qt::LeftButton);  // first line: nothing moves
        QVERIFY(!w.Command11->isEnabled());
        Click(0);
        QTest::mouseClick(w.Command5, Qt::LeftButton);
        QCOMPARE(Lines(w.List2), QStringList({"A", "New", "Bee", "C"}));
        QCOMPARE(w.List2->currentRow(), 1);
        QVERIFY(w.Command11->isEnabled());
        Click(3);
        QTest::mouseClick(w.Command8, Qt::LeftButton);
        QCOMPARE(Lines(w.List2), QStringList({"A", "New", "Bee"}));
        QCOMPARE(w.Label12->text(), QStringLiteral("3"));
        QVERIFY(w.List2->selectedItems().isEmpty() && !w.Command11->isEnabled());
        Click(2);
        QTest::mouseClick(w.Command10, Qt::LeftButton);
        QVERIFY(!w.Command11->isEnabled());

        const QString saved = folder_->filePath(QStringLiteral("out.fls"));
        prompter_->AnswerFile(saved);
        QTest::mouseClick(w.Command9, Qt::LeftButton);
        QCOMPARE(prompter_->fileRequests.back().title, QStringLiteral("Save FirmWare As..."));
        QVERIFY(prompter_->fileRequests.back().fileName.isEmpty() && prompter_->messages.empty());
        QCOMPARE(ReadAll(saved).size(), qsizetype(image.size()));

        const bank::ToneBank edited = w.Bank();
        NewWindow();
        Load(saved);
        QCOMPARE(Lines(window_->List2), QStringList({"A", "New", "Bee"}));
        QVERIFY(window_->Bank().Records == edited.Records && window_->Bank().FirmwareHead == edited.FirmwareHead);
        for (std::size_t i = 0; i < 3; ++i) {
            QCOMPARE(belltower::formats::RecordIndex(window_->Bank().Records[i]).value(), int(i + 1));
        }
    }

    void startUpOpensAFirmwareImage() {
        window_->OpenStartupFile(WriteImage("start.fls", {Record(TextFormat::Ascii, 1, "A")}));
        QCOMPARE(Lines(window_->List2), QStringList({"A"}));
        QVERIFY(window_->CD3.Folder().isEmpty());
    }

    void keyboardSelectionAndDeselection() {
        window_->SetBank(AsciiBank({"A", "B"}));
        window_->List2->setFocus();
        QTest::keyClick(window_->List2, Qt::Key_Down);  // focus made line 0 current
        QCOMPARE(window_->Text10->text(), QStringLiteral("B"));
        QTest::keyClick(window_->List2, Qt::Key_Up);
        QCOMPARE(window_->Text10->text(), QStringLiteral("A"));
        QVERIFY(window_->Command11->isEnabled());
        Click(0, Qt::ControlModifier);
        QVERIFY(window_->List2->selectedItems().isEmpty() && !window_->Command11->isEnabled());
    }

    void keepingTheBankAcrossLoads() {
        Form1& w = *window_;
        Load(WriteImage("a.fls", {Record(TextFormat::Ascii, 1, "A")}));
        w.Check4->setChecked(true);
        ImageLayout same;
        same.header = belltower::testing::PpmHeader("second image");
        same.records = {Record(TextFormat::Ascii, 1, "X"), Record(TextFormat::Ascii, 2, "Y")};
        Load(WriteFile("b.fls", BuildImage(same).image));
        QCOMPARE(Lines(w.List2), QStringList({"A"}));
        QVERIFY(w.email->text().startsWith(QStringLiteral("PPM second image")));
        QVERIFY(w.Check4->isChecked());

        prompter_->AnswerMessage(MessageAnswer::Ok);
        Load(WriteImage("u.fls", {Record(TextFormat::Unicode, 1, "U"), Record(TextFormat::Unicode, 2, "V")}));
        QCOMPARE(prompter_->messages.size(), std::size_t{1});
        QCOMPARE(prompter_->messages[0].text.toStdString(), std::string(bank::kDifferentFormats));
        QVERIFY(!w.Check4->isChecked());
        QCOMPARE(Lines(w.List2), QStringList({"U", "V"}));
        QCOMPARE(w.Label12->text(), QStringLiteral("2"));
        QVERIFY(w.email->text().endsWith(QStringLiteral("[Unicode]")));
    }

    void failedLoadChangesNothing() {
        Bytes unreadable = Record(TextFormat::Ascii, 2, "Bad");
        unreadable[16] = 0;  // name-length dword 0
        ImageLayout damaged;
        damaged.toneChunk = belltower::testing::MakeToneChunk({Record(TextFormat::Ascii, 1, "Ok"), unreadable});
        const struct {
            QString path;
            QString message;
        } cases[] = {
            {WriteFile("small.fls", Bytes(70000, 0xFF)), "doesn't contain PPM section or is not in Dejan/RAW format!"},
            {WriteFile("damaged.fls", BuildImage(damaged).image), "Error reading file."},
            {folder_->filePath(QStringLiteral("missing.fls")), "No such file or directory"},
        };
        for (const auto& c : cases) {
            NewWindow();
            Load(WriteImage("good.fls", {Record(TextFormat::Ascii, 1, "A")}));
            Click(0);
            const bank::ToneBank before = window_->Bank();
            const QString email = window_->email->text();
            prompter_->AnswerMessage(MessageAnswer::Ok);
            Load(c.path);
            QVERIFY2(prompter_->messages.at(0).text.contains(c.message), qPrintable(prompter_->messages[0].text));
            QVERIFY(window_->Bank() == before && !window_->Command11->isEnabled());
            QCOMPARE(Lines(window_->List2), QStringList({"A"}));
            QCOMPARE(window_->email->text(), email);
        }
    }

    // 66 ASCII melodies without firmware, two pairs sharing an index: Cancel on the first index
    // box skips the second and the save goes on.
    void saveWarningsInOrder() {
        std::vector<const char*> names(66, "M");
        bank::ToneBank tones = AsciiBank(names);
        tones.Records[4] = Record(TextFormat::Ascii, 2, "M");
        tones.Records[5] = Record(TextFormat::Ascii, 3, "M");
        window_->SetBank(tones);
        for (MessageAnswer answer : {MessageAnswer::Ok, MessageAnswer::Ok, MessageAnswer::Cancel}) {
            prompter_->AnswerMessage(answer);
        }
        const QString path = folder_->filePath(QStringLiteral("bank.fls"));
        prompter_->AnswerFile(path);
        QTest::mouseClick(window_->Command9, Qt::LeftButton);
        const auto& shown = prompter_->messages;
        QCOMPARE(shown.size(), std::size_t{3});
        QVERIFY(shown[0].text.startsWith(QStringLiteral("The phone will be confused")));
        QCOMPARE(shown[0].icon, MessageIcon::None);
        QVERIFY(shown[1].text.startsWith(QStringLiteral("No firmware is loaded.")));
        QCOMPARE(shown[1].icon, MessageIcon::Exclamation);
        QCOMPARE(shown[2].text, QStringLiteral("M has the same index 2 as M. Please correct it."));
        QCOMPARE(shown[2].buttons, MessageButtons::OkCancel);
        QCOMPARE(ReadAll(path).size(), qsizetype(36 + 66 * tones.Records[0].size()));
    }

    // A chain grown over data behind it asks first; Cancel writes nothing. A failed write says why.
    void saveAbortedOrFailed() {
        ImageLayout layout;
        layout.records = {Record(TextFormat::Ascii, 1, "A")};
        layout.tail = Bytes(64, 0x33);
        Load(WriteFile("in.fls", BuildImage(layout).image));
        Click(0);
        window_->Text5->setPlainText(QStringLiteral("c"));
        window_->Text8->setText(QStringLiteral("2"));
        QTest::mouseClick(window_->Command7, Qt::LeftButton);
        prompter_->AnswerMessage(MessageAnswer::Cancel);
        QTest::mouseClick(window_->Command9, Qt::LeftButton);
        QCOMPARE(prompter_->messages.back().buttons, MessageButtons::OkCancel);
        QCOMPARE(prompter_->fileRequests.size(), std::size_t{1});

        prompter_->AnswerMessage(MessageAnswer::Ok);
        prompter_->AnswerFile(folder_->filePath(QStringLiteral("no/such/folder.fls")));
        prompter_->AnswerMessage(MessageAnswer::Ok);
        QTest::mouseClick(window_->Command9, Qt::LeftButton);
        QVERIFY(prompter_->messages.back().text.contains(QStringLiteral("No such file or directory")));
    }

    void exportConvertsOrWritesNothing() {
        window_->SetBank(AsciiBank({"Tune"}));
        const QString path = folder_->filePath(QStringLiteral("tune.re"));
        Click(0);
        prompter_->AnswerFile(path);
        prompter_->AnswerTextFormat(TextFormat::Unicode);
        QTest::mouseClick(window_->Command14, Qt::LeftButton);
        QCOMPARE(prompter_->fileRequests.back().fileName, QStringLiteral("Tune"));
        QCOMPARE(prompter_->formatSuggestions.back(), TextFormat::Ascii);
        QCOMPARE(ReadAll(path), AsBytes(bank::RecordToUnicode(window_->Bank().Records[0]).value()));

        const QByteArray before = ReadAll(path);
        prompter_->AnswerFile(std::nullopt);
        QTest::mouseClick(window_->Command14, Qt::LeftButton);
        prompter_->AnswerFile(path);
        prompter_->AnswerTextFormat(std::nullopt);
        QTest::mouseClick(window_->Command14, Qt::LeftButton);
        QCOMPARE(prompter_->formatSuggestions.size(), std::size_t{2});
        QCOMPARE(ReadAll(path), before);
    }

    void importIntoAUnicodeBank() {
        Load(WriteImage("u.fls", {Record(TextFormat::Unicode, 5, "Old", 2)}));
        const QString re = WriteFile("imp.re", MakeRecord(TextFormat::Ascii, 99, "ZZ", "Imp", kTones));
        Click(0);
        prompter_->AnswerFile(re);
        QTest::mouseClick(window_->Command12, Qt::LeftButton);
        QCOMPARE(Lines(window_->List2), QStringList({"Imp"}));
        // The file's name and notes under the replaced melody's index 5, ID and purpose 2.
        QCOMPARE(Panel(), QStringList({"Imp", "ID  ", "5", "2", "Preview twice", "Apply to Imp"}));
        QVERIFY(window_->Command11->isEnabled());

        // A rejected file changes nothing, whether it replaces or is inserted.
        const bank::ToneBank before = window_->Bank();
        const QString bad = WriteFile("bad.re", Bytes(7, 0));
        for (QPushButton* command : {window_->Command12, window_->Command13}) {
            Click(0);
            prompter_->AnswerFile(bad);
            prompter_->AnswerMessage(MessageAnswer::Ok);
            QTest::mouseClick(command, Qt::LeftButton);
            QCOMPARE(prompter_->messages.back().text, QStringLiteral("Not a valid raw melody file!"));
            QVERIFY(window_->Bank() == before);
            QCOMPARE(Lines(window_->List2), QStringList({"Imp"}));
        }
    }

    void insertStopsAt300BeforeAnyDialog() {
        window_->SetBank(AsciiBank(std::vector<const char*>(300, "M")));
        for (QPushButton* command : {window_->Command7, window_->Command13}) {
            Click(0);
            prompter_->AnswerMessage(MessageAnswer::Ok);
            QTest::mouseClick(command, Qt::LeftButton);
            QCOMPARE(prompter_->messages.back().text, QStringLiteral("You cannot add more than 300 melodies!"));
            QCOMPARE(window_->List2->count(), 300);
        }
        QVERIFY(prompter_->fileRequests.empty());
        QCOMPARE(window_->List1->count(), 0);
    }

    void failedEncodeLeavesTheBank() {
        window_->SetBank(AsciiBank({"A"}));
        Click(0);
        window_->Text4->setText(QStringLiteral("0"));
        window_->Text5->setPlainText(QStringLiteral("c"));
        prompter_->AnswerMessage(MessageAnswer::Ok);
        QTest::mouseClick(window_->Command7, Qt::LeftButton);
        QCOMPARE(prompter_->messages.back().icon, MessageIcon::Exclamation);
        QCOMPARE(Lines(window_->List2), QStringList({"A"}));
        QCOMPARE(window_->Bank().Records.size(), std::size_t{1});

        // No notes: told so, and the melody goes in all the same.
        window_->Text5->clear();
        Click(0);
        prompter_->AnswerMessage(MessageAnswer::Ok);
        QTest::mouseClick(window_->Command6, Qt::LeftButton);
        QCOMPARE(prompter_->messages.back().text, QStringLiteral("No data! This melody will not play."));
        QVERIFY(window_->Command11->isEnabled());
    }

    void applyRefusesOutOfRangeValues() {
        bank::ToneBank tones;
        tones.UnicodeNames = TextFormat::Unicode;
        tones.Records = {Record(TextFormat::Unicode, 1, "U")};
        tones.Lines = {"U"};
        window_->SetBank(tones);
        Click(0);
        QVERIFY(window_->Text13->isEnabled());
        const struct {
            const char* index;
            const char* purpose;
            bool applied;
        } cases[] = {{"2147483648", "0", false}, {"5", "256", false}, {"5", "2", true}};
        for (const auto& c : cases) {
            window_->Text12->setText(QLatin1String(c.index));
            window_->Text13->setText(QLatin1String(c.purpose));
            if (!c.applied) {
                prompter_->AnswerMessage(MessageAnswer::Ok);
            }
            QTest::mouseClick(window_->Command11, Qt::LeftButton);
            QCOMPARE(window_->Bank().Records[0] == tones.Records[0], !c.applied);
        }
        QCOMPARE(prompter_->messages.size(), std::size_t{2});
        QCOMPARE(prompter_->messages[0].icon, MessageIcon::Exclamation);
        QCOMPARE(window_->Bank().Records[0][16], std::uint8_t{2});
    }

    void damagedRecordIsShownAsDamaged() {
        bank::ToneBank tones = AsciiBank({"A", "B"});
        tones.Records[1].resize(12);
        window_->SetBank(tones);
        Click(0);
        QVERIFY(window_->Command11->isEnabled());
        Click(1);
        QVERIFY(window_->Label13->text().contains(QStringLiteral("Damaged")));
        QVERIFY(window_->Text10->text().isEmpty());
        QVERIFY(!window_->Command11->isEnabled());
    }

private:
    // What the property panel shows: name, ID, index, purpose, play mode, Apply's caption.
    QStringList Panel() const {
        const Form1& w = *window_;
        return {w.Text10->text(), w.Text11->text(),  w.Text12->text(),
                w.Text13->text(), w.Label13->text(), w.Command11->text()};
    }
    void NewWindow() {
        window_.reset();
        prompter_ = std::make_unique<FakePrompter>();
        window_ = std::make_unique<Form1>(*prompter_);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }
    QString WriteFile(const char* name, const Bytes& bytes) {
        const QString path = folder_->filePath(QLatin1String(name));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(AsBytes(bytes));
        return path;
    }
    QString WriteImage(const char* name, std::vector<Bytes> records) {
        ImageLayout layout;
        layout.records = std::move(records);
        return WriteFile(name, BuildImage(layout).image);
    }
    void Load(const QString& path) {
        prompter_->AnswerFile(path);
        QTest::mouseClick(window_->Command3, Qt::LeftButton);
    }
    void Click(int row, Qt::KeyboardModifiers modifiers = {}) {
        QListWidget* list = window_->List2;
        list->scrollToItem(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, list->visualItemRect(list->item(row)).center());
    }
    static bank::ToneBank AsciiBank(const std::vector<const char*>& names) {
        bank::ToneBank tones;
        for (std::size_t i = 0; i < names.size(); ++i) {
            tones.Records.push_back(Record(TextFormat::Ascii, static_cast<std::uint32_t>(i + 1), names[i]));
        }
        tones.Lines = BankLines(names);
        return tones;
    }

    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<FakePrompter> prompter_;
    std::unique_ptr<Form1> window_;
};

QTEST_MAIN(Form1BankTest)
#include "form1_bank_tests.moc"
