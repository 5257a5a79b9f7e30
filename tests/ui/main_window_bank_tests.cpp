// The firmware melodies area of the main window through its controls, with scripted dialogs
// and synthetic firmware images. The bank's own rules are tested in the core.
#include "bank/firmware_reader.h"
#include "bank/re_exchange.h"
#include "interchange/melody_file.h"
#include "melody/tone_encoder.h"
#include "support/image_builder.h"
#include "window_helpers.h"

using belltower::formats::Bytes;
using belltower::formats::TextFormat;
using belltower::testing::BuildImage;
using belltower::testing::ImageLayout;
using belltower::ui::MessageAnswer;
using belltower::ui::MessageButtons;
using belltower::ui::MessageIcon;
using namespace belltower::ui::testing;
namespace bank = belltower::bank;

class MainWindowBankTest : public QObject, WindowFixture {
    Q_OBJECT

private slots:
    void init() {
        Start();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }
    void cleanup() { Release(); }

    // Load shows the list, the count and the image's header; a click shows the melody's
    // details; Apply and Save reach the core, and the saved image reads back as edited.
    void loadShowApplyAndSave() {
        Load(WriteAll(File("in.fls"), Image({Record(TextFormat::Ascii, 1, "A"), Record(TextFormat::Ascii, 2, "B")})));
        QCOMPARE(Text(*window_, "List2"), QStringLiteral("A|B"));
        QCOMPARE(Text(*window_, "Label12"), QStringLiteral("2"));
        QVERIFY(Text(*window_, "email").startsWith(QStringLiteral("PPM NHM-5 V 5.31 synthetic test image")));
        Click(1);
        QCOMPARE(Details(), QStringList({"B", "ID  ", "2", "n/a", "Preview twice", "Apply to B"}));
        QVERIFY(Find(*window_, "Command11")->isEnabled() && !Find(*window_, "Text13")->isEnabled());
        SetText(*window_, "Text10", QStringLiteral("Bee"));
        Press(*window_, "Command11");
        QCOMPARE(Text(*window_, "List2"), QStringLiteral("A|Bee"));

        prompter_->AnswerFile(File("out.fls"));
        Press(*window_, "Command9");
        QVERIFY(prompter_->messages.empty());
        const bank::ToneBank edited = window_->Bank();
        Fresh();
        Load(File("out.fls"));
        QVERIFY(window_->Bank().Records == edited.Records && window_->Bank().FirmwareHead == edited.FirmwareHead);
    }

    // "Keep TONE chunk" keeps the list while the header changes, until the formats differ;
    // a Unicode melody's purpose can be edited.
    void keepingTheBankAcrossLoads() {
        Load(WriteAll(File("a.fls"), Image({Record(TextFormat::Ascii, 1, "A")})));
        Find<QCheckBox>(*window_, "Check4")->setChecked(true);
        ImageLayout second;
        second.header = belltower::testing::PpmHeader("second image");
        second.records = {Record(TextFormat::Ascii, 1, "X")};
        Load(WriteAll(File("b.fls"), AsQBytes(BuildImage(second).image)));
        QCOMPARE(Text(*window_, "List2"), QStringLiteral("A"));
        QVERIFY(Text(*window_, "email").startsWith(QStringLiteral("PPM second image")));

        prompter_->AnswerMessage(MessageAnswer::Ok);
        Load(WriteAll(File("u.fls"),
                      Image({Record(TextFormat::Unicode, 1, "U", 2), Record(TextFormat::Unicode, 2, "V")})));
        QCOMPARE(prompter_->messages.at(0).text.toStdString(), std::string(bank::kDifferentFormats));
        QVERIFY(!Find<QCheckBox>(*window_, "Check4")->isChecked());
        QCOMPARE(Text(*window_, "List2"), QStringLiteral("U|V"));
        Click(0);
        QVERIFY(Find(*window_, "Text13")->isEnabled());
        QCOMPARE(Text(*window_, "Text13"), QStringLiteral("2"));
    }

    void failedLoadChangesNothing() {
        const std::pair<QString, const char*> cases[] = {
            {WriteAll(File("small.fls"), QByteArray(70000, '\xFF')),
             "doesn't contain PPM section or is not in Dejan/RAW format!"},
            {File("missing.fls"), "No such file or directory"},
        };
        for (const auto& [path, message] : cases) {
            Fresh();
            Load(WriteAll(File("good.fls"), Image({Record(TextFormat::Ascii, 1, "A")})));
            Click(0);
            const bank::ToneBank before = window_->Bank();
            prompter_->AnswerMessage(MessageAnswer::Ok);
            Load(path);
            QVERIFY2(prompter_->messages.at(0).text.contains(QLatin1String(message)), message);
            QVERIFY(window_->Bank() == before && !Find(*window_, "Command11")->isEnabled());
            QVERIFY(Text(*window_, "email").startsWith(QStringLiteral("PPM NHM-5")));
        }
    }

    // The save's warnings are shown in turn with their icon and buttons. Cancel on a repeated
    // index skips the rest of them and the save goes on; Cancel on a grown chain stops it.
    void saveWarnings() {
        bank::ToneBank tones;
        for (std::uint32_t i = 1; i <= 66; ++i) {
            tones.Records.push_back(Record(TextFormat::Ascii, i == 5 ? 2 : i == 6 ? 3 : i, "M"));
            tones.Lines.emplace_back("M");
        }
        window_->SetBank(tones);
        for (MessageAnswer answer : {MessageAnswer::Ok, MessageAnswer::Ok, MessageAnswer::Cancel}) {
            prompter_->AnswerMessage(answer);
        }
        prompter_->AnswerFile(File("bank.fls"));
        Press(*window_, "Command9");
        const auto& shown = prompter_->messages;
        QCOMPARE(shown.size(), std::size_t{3});
        QCOMPARE(shown[1].icon, MessageIcon::Exclamation);
        QCOMPARE(shown[2].text, QStringLiteral("M has the same index 2 as M. Please correct it."));
        QCOMPARE(shown[2].buttons, MessageButtons::OkCancel);
        QCOMPARE(ReadAll(File("bank.fls")).size(), qsizetype(36 + 66 * tones.Records[0].size()));

        ImageLayout layout;
        layout.records = {Record(TextFormat::Ascii, 1, "A")};
        layout.tail = Bytes(64, 0x33);
        Load(WriteAll(File("in.fls"), AsQBytes(BuildImage(layout).image)));
        Click(0);
        SetText(*window_, "Text5", QStringLiteral("c"));
        SetText(*window_, "Text8", QStringLiteral("2"));
        Press(*window_, "Command7");
        prompter_->AnswerMessage(MessageAnswer::Cancel);
        const std::size_t asked = prompter_->fileRequests.size();
        Press(*window_, "Command9");
        QCOMPARE(prompter_->messages.back().buttons, MessageButtons::OkCancel);
        QCOMPARE(prompter_->fileRequests.size(), asked);
    }

    // Export suggests the melody's name and the bank's format; the name chosen says the format
    // (.mid, .ott, else RE in the format chosen next). A cancelled dialog writes nothing.
    void exportWritesTheChosenFormat() {
        using belltower::interchange::MelodyOutput;
        belltower::melody::MelodyFields fields;
        fields.name = "Tune";
        fields.notes = "4c 8e 8g";
        bank::ToneBank tones;
        tones.Records = {*belltower::melody::EncodeReRecord(fields, TextFormat::Ascii).record};
        tones.Lines = {"Tune"};
        window_->SetBank(tones);
        const auto& record = tones.Records[0];
        const auto ott = belltower::interchange::WriteMelodyRecord(record, MelodyOutput::Ott).value();
        const struct {
            const char* file;  // nullptr: the dialog is cancelled
            std::optional<std::optional<TextFormat>> format;
            QByteArray written;
        } cases[] = {
            {"tune.re", TextFormat::Unicode, AsQBytes(bank::RecordToUnicode(record).value())},
            {nullptr, std::nullopt, "old"},
            {"tune.re", std::optional<TextFormat>(), "old"},
            {"tune.mid", std::nullopt,
             AsQBytes(belltower::interchange::WriteMelodyRecord(record, MelodyOutput::Mid).value().bytes)},
            {"tune.ott", std::nullopt, AsQBytes(ott.bytes)},
        };
        for (const auto& c : cases) {
            const QString path = WriteAll(File(c.file ? c.file : "tune.re"), "old");
            prompter_->AnswerFile(c.file ? std::optional(path) : std::nullopt);
            if (c.format) {
                prompter_->AnswerTextFormat(*c.format);
            }
            if (qstrcmp(c.file, "tune.ott") == 0 && !ott.warnings.empty()) {
                prompter_->AnswerMessage(MessageAnswer::Ok);
            }
            Click(0);
            Press(*window_, "Command14");
            QCOMPARE(prompter_->fileRequests.back().fileName, QStringLiteral("Tune"));
            QCOMPARE(ReadAll(path), c.written);
        }
        QCOMPARE(prompter_->formatSuggestions, std::vector<TextFormat>(2, TextFormat::Ascii));
    }

    // A firmware melody opens in the edit fields with a double click or Edit in the list's
    // menu, after the question about unsaved fields.
    void melodyFromTheBankOpensInTheFields() {
        belltower::melody::MelodyFields fields;
        fields.name = "Tune";
        fields.notes = "4c 8d#6 4.e t200 1c5 16p g";
        const Bytes record = *belltower::melody::EncodeReRecord(fields, TextFormat::Unicode).record;
        Load(WriteAll(File("u.fls"), Image({record, Record(TextFormat::Unicode, 2, "B")})));
        QListWidget* list = Find<QListWidget>(*window_, "List2");
        Click(0);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        const auto decoded = belltower::interchange::ReadMelodyRecord(record).fields;
        QVERIFY(window_->EditFields() == decoded);

        SetText(*window_, "Text5", QStringLiteral("4c 4d"));
        prompter_->AnswerMessage(MessageAnswer::Discard);
        QCOMPARE(list->actions().first()->text(), QStringLiteral("&Edit"));
        list->actions().first()->trigger();
        QVERIFY(window_->EditFields() == decoded);
    }

    // An RE file that is refused (replace or insert) changes nothing and says why; a damaged
    // record in the list is shown as damaged, with nothing to apply.
    void refusedAndDamagedRecords() {
        Load(WriteAll(File("u.fls"), Image({Record(TextFormat::Unicode, 5, "Old", 2)})));
        const bank::ToneBank before = window_->Bank();
        for (const char* command : {"Command12", "Command13"}) {
            Click(0);
            prompter_->AnswerFile(WriteAll(File("bad.re"), QByteArray(7, '\0')));
            prompter_->AnswerMessage(MessageAnswer::Ok);
            Press(*window_, command);
            QVERIFY2(window_->Bank() == before && Text(*window_, "List2") == QStringLiteral("Old"), command);
        }

        bank::ToneBank tones;
        tones.Records = {Record(TextFormat::Ascii, 1, "A"), Record(TextFormat::Ascii, 2, "B")};
        tones.Records[1].resize(12);
        tones.Lines = {"A", "B"};
        window_->SetBank(tones);
        Click(1);
        QVERIFY(Text(*window_, "Label13").startsWith(QStringLiteral("Damaged melody record: ")));
        QVERIFY(Text(*window_, "Text10").isEmpty() && !Find(*window_, "Command11")->isEnabled());
    }
};

QTEST_MAIN(MainWindowBankTest)
#include "main_window_bank_tests.moc"
