// SPDX-License-Identifier: GPL-3.0-or-later
// The tone bank area: loading and saving firmware images, the melody list with its
// operations, the property panel of the selected melody, and RE files in and out.
//
// Every handler reads the controls, calls the bank core (src/bank) and writes the bank back
// into bankList and the panel. The core changes the bank completely or not at all, so a refused
// operation leaves the list as it was.
#include <QAction>
#include <QBrush>
#include <QCheckBox>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStringList>

#include <set>
#include <string_view>
#include <utility>

#include "bank/firmware_reader.h"
#include "bank/firmware_writer.h"
#include "bank/list_operations.h"
#include "bank/re_exchange.h"
#include "bank/record_properties.h"
#include "formats/file_io.h"
#include "formats/record.h"
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

// "Apply to " and the melody's name. Names as long as a phone shows take show whole; a longer
// one ends in an ellipsis, so the button does not widen the window.
QString ApplyCaption(const QPushButton* button, const std::string& caption) {
    const QFontMetrics metrics(button->font());
    const int widest =
        metrics.horizontalAdvance(QStringLiteral("Apply to ") + QString(MainWindow::kApplyNameCharacters, u'n'));
    return metrics.elidedText(FromCoreText(caption), Qt::ElideRight, widest);
}

// The ID box shows the ID without the blanks that pad it to four bytes, so an empty ID is an
// empty box that takes typing; the record is padded again when it is built.
QString ShownId(const std::string& id) {
    const std::size_t end = id.find_last_not_of(' ');
    return FromCoreText(end == std::string::npos ? std::string() : id.substr(0, end + 1));
}

QString Quoted(const std::string& line) {
    return QLatin1Char('"') + FromCoreText(line) + QLatin1Char('"');
}

QString MelodiesCount(std::size_t count) {
    return count == 1 ? QStringLiteral("1 melody") : QStringLiteral("%1 melodies").arg(count);
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
    // Enter in a box of the details applies them.
    for (QLineEdit* box : {melodyNameEdit, melodyIdEdit, melodyIndexEdit, purposeEdit}) {
        connect(box, &QLineEdit::returnPressed, this, &MainWindow::ApplyRecord);
    }
    UpdateBankCommands();
}

void MainWindow::UpdateBankCommands() {
    const bool hasBank = bank_.FirmwareLoaded || bank_.Count() > 0;
    const bank::Selection line = SelectedLine();
    for (QWidget* command : {replaceButton, replaceFromFileButton, deleteButton, exportButton, playMelodyButton}) {
        command->setEnabled(line.has_value());
    }
    moveUpButton->setEnabled(line && *line > 0);
    moveDownButton->setEnabled(line && *line + 1 < bank_.Count());
    for (QWidget* command : {insertButton, insertFromFileButton, reindexButton, saveFirmwareButton}) {
        command->setEnabled(hasBank);
    }
    if (deleteAction != nullptr) {
        deleteAction->setEnabled(line.has_value());
        editMelodyAction->setEnabled(line.has_value());
        saveFirmwareAction->setEnabled(hasBank);
    }
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
    // Lines are changed in place, so the list keeps its scroll position. A melody without a
    // name reads "(no name)" in grey; its bytes stay as they are.
    const QBrush nameless = bankList->palette().brush(QPalette::Disabled, QPalette::Text);
    for (int row = 0; row < count; ++row) {
        const std::string& name = bank_.Lines[static_cast<std::size_t>(row)];
        const QString line = name.empty() ? QStringLiteral("(no name)") : FromCoreText(name);
        if (row >= bankList->count()) {
            bankList->addItem(line);
        }
        QListWidgetItem* item = bankList->item(row);
        item->setText(line);
        item->setForeground(name.empty() ? nameless : QBrush());
    }
    SelectLine(selected && *selected < bank_.Count() ? selected : std::nullopt);
    bankCountLabel->setText(FromCoreText(bank::CountText(bank_)));
    ShowSelectedRecord();
    ShowBankMelodyInRoll();
    ShowFitLine();
}

void MainWindow::SelectLine(bank::Selection line) {
    {
        const QSignalBlocker blocker(bankList);
        bankList->setCurrentRow(line ? static_cast<int>(*line) : -1);
        if (!line) {
            bankList->clearSelection();
        }
    }
    UpdateBankCommands();
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
    shownDetails_.clear();
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
    Say(QStringLiteral("Opened %1: %2").arg(QFileInfo(path).fileName(), MelodiesCount(bank_.Count())));
}

bool MainWindow::ConfirmFirmwareSave() {
    for (;;) {
        bool reindex = false;
        const bool confirmed =
            bank::ConfirmSave(bank::SaveWarnings(bank_), [this, &reindex](const bank::SaveWarning& warning) {
                MessageRequest request = WarningRequest(warning);
                if (warning.cancelEffect == bank::CancelEffect::EndIndexCheck) {
                    request.action = QStringLiteral("Reindex now");
                }
                const MessageAnswer answer = reindex ? MessageAnswer::Cancel : prompter_.ShowMessage(request);
                reindex = reindex || answer == MessageAnswer::Action;
                return answer == MessageAnswer::Ok;
            });
        if (!reindex) {
            return confirmed;
        }
        // The indexes are mended as Reindex! does, and the warnings are walked again.
        ReindexMelodies();
    }
}

bool MainWindow::WriteFirmware(const QString& path) {
    if (const formats::Result<void> saved = bank::SaveFirmware(ToFilePath(path), bank_); !saved) {
        TellCoreMessage(prompter_, saved.error().message);
        return false;
    }
    history_.MarkClean();
    imagePath_ = path;
    AddRecentFile(path);
    UpdateTitle();
    Say(QStringLiteral("Saved %1: %2").arg(QFileInfo(path).fileName(), MelodiesCount(bank_.Count())));
    return true;
}

bool MainWindow::SaveFirmware() {
    if (!ConfirmFirmwareSave()) {
        return false;
    }
    // The image's own path is proposed, so Enter saves it where it was opened.
    const std::optional<QString> path = saveFirmwareDialog.Choose(prompter_, imagePath_);
    return path && WriteFirmware(*path);
}

// ---- The property panel ------------------------------------------------------------------

QStringList MainWindow::DetailTexts() const {
    return {melodyNameEdit->text(), melodyIdEdit->text(), melodyIndexEdit->text(), purposeEdit->text()};
}

bool MainWindow::MayLeaveDetails() {
    if (!shownLine_ || DetailTexts() == shownDetails_) {
        return true;
    }
    const MessageAnswer answer = prompter_.ShowMessage(
        {QStringLiteral("Apply the changes to %1 before showing another melody?").arg(Quoted(bank_.Lines[*shownLine_])),
         QString(), MessageIcon::Exclamation, MessageButtons::ApplyDiscardCancel});
    return answer == MessageAnswer::Discard || (answer == MessageAnswer::Apply && ApplyRecord());
}

void MainWindow::ShowSelectedRecord() {
    const bank::Selection line = SelectedLine();
    UpdateBankCommands();
    if (shownLine_ && line == shownLine_) {
        return;  // on show already, edits and all
    }
    if (!MayLeaveDetails()) {
        // Cancel: the melody being edited stays selected with its edits.
        SelectLine(shownLine_);
        return;
    }
    if (line != SelectedLine()) {
        // Applying showed the list anew; the melody chosen is selected again.
        DisableApply();
        SelectLine(line);
    }
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
    melodyIdEdit->setText(ShownId(view->id));
    shownId_ = view->id;
    melodyIndexEdit->setText(FromCoreText(view->indexText));
    purposeEdit->setText(FromCoreText(view->purposeText));
    purposeEdit->setEnabled(view->purposeEnabled);
    playModeLabel->setText(FromCoreText(view->playModeText));
    applyButton->setText(ApplyCaption(applyButton, view->applyCaption));
    shownLine_ = line;
    shownDetails_ = DetailTexts();
    applyButton->setEnabled(true);
}

bool MainWindow::ApplyRecord() {
    if (!shownLine_ || *shownLine_ >= bank_.Count()) {
        return false;
    }
    const std::size_t line = *shownLine_;
    bank::BankState before = bank::CaptureState(bank_, line);
    const std::string name = bank_.Lines[line];
    // An ID left as shown keeps its stored bytes; a typed one is padded with blanks.
    const std::string id = melodyIdEdit->text() == ShownId(shownId_) ? shownId_ : ToCoreText(melodyIdEdit->text());
    const bank::RecordEdits edits{ToCoreText(melodyNameEdit->text()), id, ToCoreText(melodyIndexEdit->text()),
                                  ToCoreText(purposeEdit->text())};
    if (const formats::Result<void> applied = bank::ApplyRecordEdits(bank_, line, edits); !applied) {
        TellCoreText(prompter_, applied.error().message, MessageIcon::Exclamation);
        return false;
    }
    // The panel shows the record as rebuilt, Apply's caption with the new name.
    DisableApply();
    ShowBankLines(line);
    RecordChange("Apply to \"" + name + "\"", std::move(before),
                 QStringLiteral("Applied the changes to %1").arg(Quoted(bank_.Lines[line])));
    return true;
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
        RecordChange((up ? "Move Up \"" : "Move Down \"") + bank_.Lines[*moved] + "\"", std::move(before),
                     QStringLiteral("Moved %1 %2").arg(Quoted(bank_.Lines[*moved]), up ? "up" : "down"));
    }
}

void MainWindow::StoreRecord(bank::Selection line, StoreInBank store, formats::ByteView record, MessageIcon refusalIcon,
                             const char* verb, const QString& note) {
    bank::BankState before = bank::CaptureState(bank_, SelectedLine());
    const formats::Result<bank::Selection> stored = store(bank_, line, record);
    if (!stored) {
        TellCoreText(prompter_, stored.error().message, refusalIcon);
        return;
    }
    ShowBankLines(*stored);
    if (*stored) {
        const QString done =
            std::string_view(verb) == "Replace" ? QStringLiteral("Replaced ") : QStringLiteral("Inserted ");
        RecordChange(std::string(verb) + " \"" + bank_.Lines[**stored] + "\"", std::move(before),
                     done + Quoted(bank_.Lines[**stored]) + note);
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
    QString note;
    if (const std::optional<formats::Bytes> record = EncodeWithFreeIndex(note)) {
        StoreRecord(line, &bank::Insert, *record, MessageIcon::Exclamation, "Insert", note);
    }
}

std::optional<formats::Bytes> MainWindow::EncodeWithFreeIndex(QString& note) {
    std::optional<formats::Bytes> record = EncodeForBank();
    const formats::Result<std::int32_t> typed = record ? formats::RecordIndex(*record) : std::int32_t{-1};
    std::set<std::int64_t> taken;
    for (const formats::Bytes& other : bank_.Records) {
        if (const formats::Result<std::int32_t> index = formats::RecordIndex(other)) {
            taken.insert(*index);
        }
    }
    if (!typed || *typed < 0 || !taken.contains(*typed)) {
        return record;
    }
    std::int64_t free = std::int64_t{*typed} + 1;
    while (taken.contains(free)) {
        ++free;
    }
    melody::MelodyFields fields = EditFields();
    fields.index = std::to_string(free);
    melody::EncodeResult encoded = melody::EncodeMelody(fields, bank_.UnicodeNames, std::nullopt);
    if (!encoded.record) {
        return record;
    }
    note = QStringLiteral(" with index %1: %2 belongs to another melody").arg(free).arg(*typed);
    return std::move(*encoded.record);
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
        RecordChange("Delete \"" + name + "\"", std::move(before), QStringLiteral("Deleted ") + Quoted(name));
    }
}

void MainWindow::ReindexMelodies() {
    DisableApply();
    bank::BankState before = bank::CaptureState(bank_, SelectedLine());
    bank::Reindex(bank_);
    // The panel shows the selected melody's new index.
    ShowBankLines(SelectedLine());
    RecordChange(
        "Reindex", std::move(before),
        QStringLiteral("Reindexed %1: each index is now its place in the list").arg(MelodiesCount(bank_.Count())));
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
    // The name chosen says the format: a file of another melody format of the table is written
    // as such, any other name gets an RE file in the text format chosen next.
    const interchange::MelodyFormat* other =
        interchange::FindMelodyFormatByExtension(QFileInfo(*path).suffix().toStdString());
    formats::Result<formats::Bytes> bytes = formats::Bytes{};
    if (other != nullptr && other->content != interchange::MelodyContent::Record) {
        formats::Result<interchange::MelodyExport> written = interchange::WriteMelodyRecord(
            bank_.Records[*line], interchange::OutputOf(other->content, formats::TextFormat::Ascii));
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
        return;
    }
    Say(QStringLiteral("Exported %1 as %2").arg(Quoted(bank_.Lines[*line]), QFileInfo(*path).fileName()));
}

}  // namespace belltower::ui
