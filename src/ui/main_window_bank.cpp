// The tone bank area: loading and saving firmware images, the melody list with its
// operations, the property panel of the selected melody, and RE files in and out.
//
// Every handler reads the controls, calls the bank core (src/bank) and writes the bank back
// into bankList and the panel. The core changes the bank completely or not at all, so a refused
// operation leaves the list as it was.
#include <QCheckBox>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStringList>

#include <utility>

#include "bank/firmware_reader.h"
#include "bank/firmware_writer.h"
#include "bank/list_operations.h"
#include "bank/re_exchange.h"
#include "bank/record_properties.h"
#include "formats/file_io.h"
#include "interchange/melody_file.h"
#include "melody/tone_encoder.h"
#include "ui/core_text.h"
#include "ui/main_window.h"
#include "ui/prompter.h"

namespace belltower::ui {
namespace {

void Tell(Prompter& prompter, const QString& text, MessageIcon icon = MessageIcon::None) {
    prompter.ShowMessage({text, QString(), icon, MessageButtons::Ok});
}

// Messages made of fixed English text and melody names or tokens (bytes shown as Latin-1).
void TellCoreText(Prompter& prompter, const std::string& text, MessageIcon icon = MessageIcon::None) {
    Tell(prompter, FromCoreText(text), icon);
}

// Messages that may carry a path or an operating-system description (UTF-8).
void TellCoreMessage(Prompter& prompter, const std::string& text, MessageIcon icon = MessageIcon::None) {
    Tell(prompter, FromCoreMessage(text), icon);
}

MessageRequest WarningRequest(const bank::SaveWarning& warning) {
    return {FromCoreText(warning.text), QString(),
            warning.icon == bank::WarningIcon::Exclamation ? MessageIcon::Exclamation : MessageIcon::None,
            warning.buttons == bank::WarningButtons::OkCancel ? MessageButtons::OkCancel : MessageButtons::Ok};
}

// "Apply to " and the melody's name. Names as long as the name box takes show whole; a longer
// one (ASCII banks may hold them) ends in an ellipsis, so the button does not widen the window.
QString ApplyCaption(const QPushButton* button, const std::string& caption) {
    const QFontMetrics metrics(button->font());
    const int widest = metrics.horizontalAdvance(QStringLiteral("Apply to ") +
                                                 QString(static_cast<qsizetype>(bank::kMaxNameCharacters), u'n'));
    return metrics.elidedText(FromCoreText(caption), Qt::ElideRight, widest);
}

QString Bulleted(const std::vector<std::string>& lines) {
    QStringList bulleted;
    for (const std::string& line : lines) {
        bulleted << QStringLiteral("\u2022 ") + FromCoreMessage(line);
    }
    return bulleted.join(QLatin1Char('\n'));
}

}  // namespace

void MainWindow::ConnectBankControls() {
    connect(loadFirmwareButton, &QPushButton::clicked, this, &MainWindow::LoadFirmwareClicked);
    connect(saveFirmwareButton, &QPushButton::clicked, this, &MainWindow::SaveFirmware);
    // A changed selection (mouse or keyboard) shows the record; a click on the line already
    // selected shows it again, so Apply comes back after an operation disabled it.
    connect(bankList, &QListWidget::itemSelectionChanged, this, &MainWindow::ShowSelectedRecord);
    connect(bankList, &QListWidget::itemClicked, this, &MainWindow::ShowSelectedRecord);
    connect(applyButton, &QPushButton::clicked, this, &MainWindow::ApplyRecord);
    connect(moveUpButton, &QPushButton::clicked, this, &MainWindow::MoveMelodyUp);
    connect(moveDownButton, &QPushButton::clicked, this, &MainWindow::MoveMelodyDown);
    connect(replaceButton, &QPushButton::clicked, this, &MainWindow::ReplaceMelody);
    connect(insertButton, &QPushButton::clicked, this, &MainWindow::InsertMelody);
    connect(deleteButton, &QPushButton::clicked, this, &MainWindow::DeleteMelody);
    connect(reindexButton, &QPushButton::clicked, this, &MainWindow::ReindexMelodies);
    connect(replaceFromFileButton, &QPushButton::clicked, this, &MainWindow::ReplaceFromFile);
    connect(insertFromFileButton, &QPushButton::clicked, this, &MainWindow::InsertFromFile);
    connect(exportButton, &QPushButton::clicked, this, &MainWindow::ExportMelody);
}

bank::Selection MainWindow::SelectedLine() const {
    const int row = bankList->currentRow();
    if (row < 0 || !bankList->item(row)->isSelected() || static_cast<std::size_t>(row) >= bank_.Count()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(row);
}

void MainWindow::ShowBankLines(bank::Selection selected) {
    const QSignalBlocker blocker(bankList);
    const auto count = static_cast<int>(bank_.Count());
    while (bankList->count() > count) {
        delete bankList->takeItem(bankList->count() - 1);
    }
    // Lines are changed in place, so the list keeps its scroll position.
    for (int row = 0; row < count; ++row) {
        const QString line = FromCoreText(bank_.Lines[static_cast<std::size_t>(row)]);
        if (row >= bankList->count()) {
            bankList->addItem(line);
        } else if (bankList->item(row)->text() != line) {
            bankList->item(row)->setText(line);
        }
    }
    if (selected && *selected < bank_.Count()) {
        bankList->setCurrentRow(static_cast<int>(*selected));
    } else {
        bankList->setCurrentRow(-1);
        bankList->clearSelection();
    }
    bankCountLabel->setText(FromCoreText(bank::CountText(bank_)));
    ShowSelectedRecord();
}

void MainWindow::DisableApply() {
    applyButton->setEnabled(false);
    shownLine_.reset();
}

void MainWindow::ClearDetails() {
    DisableApply();
    for (QLineEdit* box : {melodyNameEdit, melodyIdEdit, melodyIndexEdit, purposeEdit}) {
        box->clear();
    }
    purposeEdit->setEnabled(false);
    playModeLabel->clear();
    applyButton->setText(QStringLiteral("Apply"));
}

void MainWindow::SetBank(bank::ToneBank bank) {
    DisableApply();
    bank_ = std::move(bank);
    history_.Clear();
    imagePath_.clear();
    ShowBankLines(std::nullopt);
    creditLabel->setText(FromCoreText(bank::HeaderCaption(bank_)));
    UpdateHistoryActions();
    UpdateTitle();
}

// ---- Firmware images ---------------------------------------------------------------------

void MainWindow::LoadFirmwareClicked() {
    // A kept bank is not replaced, so there is nothing to ask.
    if (!keepBankBox->isChecked() && !MaySaveBank()) {
        return;
    }
    if (const std::optional<QString> path = openFirmwareDialog.Choose(prompter_)) {
        LoadFirmware(*path);
    }
}

void MainWindow::LoadFirmware(const QString& path) {
    DisableApply();
    const formats::Result<bank::LoadOutcome> loaded =
        bank::LoadFirmware(ToFilePath(path), bank_, keepBankBox->isChecked());
    if (!loaded) {
        TellCoreMessage(prompter_, loaded.error().message);
        return;
    }
    const bool modifiedBankKept = loaded->keepBank && IsBankModified();
    keepBankBox->setChecked(loaded->keepBank);
    for (const std::string& message : loaded->messages) {
        TellCoreText(prompter_, message);
    }
    // A kept bank keeps its list as it stands, selection included.
    ShowBankLines(loaded->keepBank ? SelectedLine() : std::nullopt);
    creditLabel->setText(FromCoreText(bank::HeaderCaption(bank_)));
    // Undo steps belong to the image they were made in; kept melodies stay unsaved work.
    history_.Clear();
    if (modifiedBankKept) {
        history_.MarkModified();
    }
    imagePath_ = path;
    AddRecentFile(path);
    UpdateHistoryActions();
    UpdateTitle();
}

bool MainWindow::SaveFirmware() {
    const bool confirmed = bank::ConfirmSave(bank::SaveWarnings(bank_), [this](const bank::SaveWarning& warning) {
        return prompter_.ShowMessage(WarningRequest(warning)) == MessageAnswer::Ok;
    });
    if (!confirmed) {
        return false;
    }
    const std::optional<QString> path = saveFirmwareDialog.Choose(prompter_);
    if (!path) {
        return false;
    }
    if (const formats::Result<void> saved = bank::SaveFirmware(ToFilePath(*path), bank_); !saved) {
        TellCoreMessage(prompter_, saved.error().message);
        return false;
    }
    history_.MarkClean();
    imagePath_ = *path;
    AddRecentFile(*path);
    UpdateTitle();
    return true;
}

// ---- The property panel ------------------------------------------------------------------

void MainWindow::ShowSelectedRecord() {
    const bank::Selection line = SelectedLine();
    if (!line) {
        ClearDetails();
        return;
    }
    const formats::Result<bank::RecordView> view = bank::ShowRecord(bank_, *line);
    if (!view) {
        // Nothing of a record that cannot be read is shown, and nothing can be applied to it.
        DisableApply();
        melodyNameEdit->clear();
        melodyIdEdit->clear();
        melodyIndexEdit->clear();
        purposeEdit->setText(FromCoreText(std::string(bank::kNotApplicable)));
        purposeEdit->setEnabled(false);
        playModeLabel->setText(QStringLiteral("Damaged melody record: ") + FromCoreMessage(view.error().message));
        applyButton->setText(QStringLiteral("Apply"));
        return;
    }
    melodyNameEdit->setText(FromCoreText(view->name));
    melodyIdEdit->setText(FromCoreText(view->id));
    melodyIndexEdit->setText(FromCoreText(view->indexText));
    purposeEdit->setText(FromCoreText(view->purposeText));
    purposeEdit->setEnabled(view->purposeEnabled);
    playModeLabel->setText(FromCoreText(view->playModeText));
    applyButton->setText(ApplyCaption(applyButton, view->applyCaption));
    shownLine_ = line;
    applyButton->setEnabled(true);
}

void MainWindow::ApplyRecord() {
    if (!shownLine_ || *shownLine_ >= bank_.Count()) {
        return;
    }
    bank::BankState before = bank::CaptureState(bank_, shownLine_);
    const std::string name = bank_.Lines[*shownLine_];
    const bank::RecordEdits edits{ToCoreText(melodyNameEdit->text()), ToCoreText(melodyIdEdit->text()),
                                  ToCoreText(melodyIndexEdit->text()), ToCoreText(purposeEdit->text())};
    if (const formats::Result<void> applied = bank::ApplyRecordEdits(bank_, *shownLine_, edits); !applied) {
        TellCoreText(prompter_, applied.error().message, MessageIcon::Exclamation);
        return;
    }
    // The panel shows the record as rebuilt, Apply's caption with the new name.
    ShowBankLines(shownLine_);
    RecordChange("Apply to \"" + name + "\"", std::move(before));
}

// ---- List operations ---------------------------------------------------------------------

std::optional<formats::Bytes> MainWindow::EncodeForBank() {
    melody::EncodeResult encoded = melody::EncodeMelody(EditFields(), bank_.UnicodeNames, std::nullopt);
    if (!ReportEncoding(encoded)) {
        return std::nullopt;
    }
    return std::move(*encoded.record);
}

bool MainWindow::AllowListChange(bank::ListChange change) {
    const formats::Result<void> allowed = bank::CheckListChange(bank_, change, SelectedLine());
    if (!allowed) {
        TellCoreText(prompter_, allowed.error().message, MessageIcon::Exclamation);
    }
    return allowed.has_value();
}

void MainWindow::MoveMelodyUp() {
    MoveMelody(bank::ListChange::MoveUp);
}

void MainWindow::MoveMelodyDown() {
    MoveMelody(bank::ListChange::MoveDown);
}

void MainWindow::MoveMelody(bank::ListChange change) {
    DisableApply();
    if (!AllowListChange(change)) {
        return;
    }
    const bool up = change == bank::ListChange::MoveUp;
    bank::BankState before = bank::CaptureState(bank_, SelectedLine());
    if (const bank::Selection moved = (up ? bank::MoveUp : bank::MoveDown)(bank_, SelectedLine())) {
        ShowBankLines(moved);
        RecordChange((up ? "Move Up \"" : "Move Down \"") + bank_.Lines[*moved] + "\"", std::move(before));
    }
}

void MainWindow::StoreRecord(bank::Selection line, StoreInBank store, formats::ByteView record, MessageIcon refusalIcon,
                             const char* verb) {
    bank::BankState before = bank::CaptureState(bank_, SelectedLine());
    const formats::Result<bank::Selection> stored = store(bank_, line, record);
    if (!stored) {
        TellCoreText(prompter_, stored.error().message, refusalIcon);
        return;
    }
    ShowBankLines(*stored);
    if (*stored) {
        RecordChange(std::string(verb) + " \"" + bank_.Lines[**stored] + "\"", std::move(before));
    }
}

void MainWindow::ReplaceMelody() {
    DisableApply();
    const bank::Selection line = SelectedLine();
    if (!line) {
        return;
    }
    if (const std::optional<formats::Bytes> record = EncodeForBank()) {
        StoreRecord(line, &bank::Replace, *record, MessageIcon::Exclamation, "Replace");
    }
}

bool MainWindow::CanInsertAt(bank::Selection line) {
    const formats::Result<bank::Selection> position = bank::InsertPosition(bank_, line);
    if (!position) {
        TellCoreText(prompter_, position.error().message);
        return false;
    }
    return position->has_value();
}

void MainWindow::InsertMelody() {
    DisableApply();
    const bank::Selection line = SelectedLine();
    // The limit is told before the melody is encoded, so its messages do not come first.
    if (!CanInsertAt(line)) {
        return;
    }
    if (const std::optional<formats::Bytes> record = EncodeForBank()) {
        StoreRecord(line, &bank::Insert, *record, MessageIcon::Exclamation, "Insert");
    }
}

void MainWindow::DeleteMelody() {
    DisableApply();
    if (!AllowListChange(bank::ListChange::Delete)) {
        return;
    }
    const bank::Selection line = SelectedLine();
    bank::BankState before = bank::CaptureState(bank_, line);
    const std::string name = line ? bank_.Lines[*line] : std::string();
    if (bank::Delete(bank_, line)) {
        ShowBankLines(std::nullopt);
        RecordChange("Delete \"" + name + "\"", std::move(before));
    }
}

void MainWindow::ReindexMelodies() {
    DisableApply();
    bank::BankState before = bank::CaptureState(bank_, SelectedLine());
    bank::Reindex(bank_);
    // The panel shows the selected melody's new index.
    ShowBankLines(SelectedLine());
    RecordChange("Reindex", std::move(before));
}

// ---- RE files ----------------------------------------------------------------------------

void MainWindow::ImportReFile(bank::Selection line, StoreInBank store, const char* verb) {
    const std::optional<QString> path = openReDialog.Choose(prompter_);
    if (!path) {
        return;
    }
    const formats::Result<formats::Bytes> file = formats::ReadFileBytes(ToFilePath(*path));
    if (!file) {
        TellCoreMessage(prompter_, file.error().message);
        return;
    }
    StoreRecord(line, store, *file, MessageIcon::None, verb);
}

void MainWindow::ReplaceFromFile() {
    DisableApply();
    if (const bank::Selection line = SelectedLine()) {
        ImportReFile(line, &bank::ReplaceFromRe, "Replace");
    }
}

void MainWindow::InsertFromFile() {
    DisableApply();
    if (const bank::Selection line = SelectedLine(); CanInsertAt(line)) {
        ImportReFile(line, &bank::InsertFromRe, "Insert");
    }
}

void MainWindow::ExportMelody() {
    const bank::Selection line = SelectedLine();
    if (!line) {
        return;
    }
    const std::optional<QString> path = exportReDialog.Choose(prompter_, FromCoreText(bank_.Lines[*line]));
    if (!path) {
        return;
    }
    // The name chosen says the format: .mid and .ott files are written as such, any other
    // name gets an RE file in the text format chosen next.
    const QString suffix = QFileInfo(*path).suffix().toLower();
    formats::Result<formats::Bytes> bytes = formats::Bytes{};
    if (suffix == QLatin1String("mid") || suffix == QLatin1String("midi") || suffix == QLatin1String("ott")) {
        const auto format =
            suffix == QLatin1String("ott") ? interchange::MelodyOutput::Ott : interchange::MelodyOutput::Mid;
        formats::Result<interchange::MelodyExport> written =
            interchange::WriteMelodyRecord(bank_.Records[*line], format);
        if (!written) {
            TellCoreText(prompter_, written.error().message, MessageIcon::Exclamation);
            return;
        }
        bytes = std::move(written->bytes);
        if (!written->warnings.empty() &&
            prompter_.ShowMessage({QStringLiteral("%1 cannot hold all of this melody:\n\n%2\n\nWrite it anyway?")
                                       .arg(QFileInfo(*path).fileName(), Bulleted(written->warnings)),
                                   QString(), MessageIcon::Exclamation, MessageButtons::OkCancel}) !=
                MessageAnswer::Ok) {
            return;
        }
    } else {
        const std::optional<formats::TextFormat> format = prompter_.ChooseTextFormat(bank_.UnicodeNames);
        if (!format) {
            return;
        }
        bytes = bank::ExportRecord(bank_.Records[*line], bank_.UnicodeNames, *format);
        if (!bytes) {
            TellCoreText(prompter_, bytes.error().message);
            return;
        }
    }
    if (const formats::Result<void> written = formats::WriteFileAtomic(ToFilePath(*path), *bytes); !written) {
        TellCoreMessage(prompter_, written.error().message);
    }
}

}  // namespace belltower::ui
