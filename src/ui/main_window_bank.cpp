// The tone bank area: loading and saving firmware images, the melody list with its
// operations, the property panel of the selected melody, and RE files in and out.
//
// Every handler reads the controls, calls the bank core (src/bank) and writes the bank back
// into List2 and the panel. The core changes the bank completely or not at all, so a refused
// operation leaves the list as it was.
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

#include <utility>

#include "bank/firmware_reader.h"
#include "bank/firmware_writer.h"
#include "bank/list_operations.h"
#include "bank/re_exchange.h"
#include "bank/record_properties.h"
#include "formats/file_io.h"
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

}  // namespace

void Form1::ConnectBankControls() {
    connect(Command3, &QPushButton::clicked, this, &Form1::LoadFirmwareClicked);
    connect(Command9, &QPushButton::clicked, this, &Form1::SaveFirmware);
    // A changed selection (mouse or keyboard) shows the record; a click on the line already
    // selected shows it again, so Apply comes back after an operation disabled it.
    connect(List2, &QListWidget::itemSelectionChanged, this, &Form1::ShowSelectedRecord);
    connect(List2, &QListWidget::itemClicked, this, &Form1::ShowSelectedRecord);
    connect(Command11, &QPushButton::clicked, this, &Form1::ApplyRecord);
    connect(Command4, &QPushButton::clicked, this, &Form1::MoveMelodyUp);
    connect(Command5, &QPushButton::clicked, this, &Form1::MoveMelodyDown);
    connect(Command6, &QPushButton::clicked, this, &Form1::ReplaceMelody);
    connect(Command7, &QPushButton::clicked, this, &Form1::InsertMelody);
    connect(Command8, &QPushButton::clicked, this, &Form1::DeleteMelody);
    connect(Command10, &QPushButton::clicked, this, &Form1::ReindexMelodies);
    connect(Command12, &QPushButton::clicked, this, &Form1::ReplaceFromFile);
    connect(Command13, &QPushButton::clicked, this, &Form1::InsertFromFile);
    connect(Command14, &QPushButton::clicked, this, &Form1::ExportMelody);
}

bank::Selection Form1::SelectedLine() const {
    const int row = List2->currentRow();
    if (row < 0 || !List2->item(row)->isSelected() || static_cast<std::size_t>(row) >= bank_.Count()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(row);
}

void Form1::ShowBankLines(bank::Selection selected) {
    const QSignalBlocker blocker(List2);
    const auto count = static_cast<int>(bank_.Count());
    while (List2->count() > count) {
        delete List2->takeItem(List2->count() - 1);
    }
    // Lines are changed in place, so the list keeps its scroll position.
    for (int row = 0; row < count; ++row) {
        const QString line = FromCoreText(bank_.Lines[static_cast<std::size_t>(row)]);
        if (row >= List2->count()) {
            List2->addItem(line);
        } else if (List2->item(row)->text() != line) {
            List2->item(row)->setText(line);
        }
    }
    if (selected && *selected < bank_.Count()) {
        List2->setCurrentRow(static_cast<int>(*selected));
    } else {
        List2->setCurrentRow(-1);
        List2->clearSelection();
    }
    Label12->setText(FromCoreText(bank::CountText(bank_)));
}

void Form1::DisableApply() {
    Command11->setEnabled(false);
    shownLine_.reset();
}

void Form1::SetBank(bank::ToneBank bank) {
    DisableApply();
    bank_ = std::move(bank);
    ShowBankLines(std::nullopt);
    email->setText(FromCoreText(bank::HeaderCaption(bank_)));
}

// ---- Firmware images ---------------------------------------------------------------------

void Form1::LoadFirmwareClicked() {
    if (const std::optional<QString> path = CD3.Choose(prompter_)) {
        LoadFirmware(*path);
    }
}

void Form1::LoadFirmware(const QString& path) {
    DisableApply();
    const formats::Result<bank::LoadOutcome> loaded = bank::LoadFirmware(ToFilePath(path), bank_, Check4->isChecked());
    if (!loaded) {
        TellCoreMessage(prompter_, loaded.error().message);
        return;
    }
    Check4->setChecked(loaded->keepBank);
    for (const std::string& message : loaded->messages) {
        TellCoreText(prompter_, message);
    }
    // A kept bank keeps its list as it stands, selection included.
    if (!loaded->keepBank) {
        ShowBankLines(std::nullopt);
    }
    Label12->setText(FromCoreText(bank::CountText(bank_)));
    email->setText(FromCoreText(bank::HeaderCaption(bank_)));
}

void Form1::SaveFirmware() {
    const bool confirmed = bank::ConfirmSave(bank::SaveWarnings(bank_), [this](const bank::SaveWarning& warning) {
        return prompter_.ShowMessage(WarningRequest(warning)) == MessageAnswer::Ok;
    });
    if (!confirmed) {
        return;
    }
    const std::optional<QString> path = CD4.Choose(prompter_);
    if (!path) {
        return;
    }
    if (const formats::Result<void> saved = bank::SaveFirmware(ToFilePath(*path), bank_); !saved) {
        TellCoreMessage(prompter_, saved.error().message);
    }
}

// ---- The property panel ------------------------------------------------------------------

void Form1::ShowSelectedRecord() {
    const bank::Selection line = SelectedLine();
    if (!line) {
        DisableApply();
        return;
    }
    const formats::Result<bank::RecordView> view = bank::ShowRecord(bank_, *line);
    if (!view) {
        // Nothing of a record that cannot be read is shown, and nothing can be applied to it.
        DisableApply();
        Text10->clear();
        Text11->clear();
        Text12->clear();
        Text13->setText(FromCoreText(std::string(bank::kNotApplicable)));
        Text13->setEnabled(false);
        Label13->setText(QStringLiteral("Damaged melody record: ") + FromCoreMessage(view.error().message));
        Command11->setText(QStringLiteral("Apply"));
        return;
    }
    Text10->setText(FromCoreText(view->name));
    Text11->setText(FromCoreText(view->id));
    Text12->setText(FromCoreText(view->indexText));
    Text13->setText(FromCoreText(view->purposeText));
    Text13->setEnabled(view->purposeEnabled);
    Label13->setText(FromCoreText(view->playModeText));
    Command11->setText(ApplyCaption(Command11, view->applyCaption));
    shownLine_ = line;
    Command11->setEnabled(true);
}

void Form1::ApplyRecord() {
    if (!shownLine_ || *shownLine_ >= bank_.Count()) {
        return;
    }
    const bank::RecordEdits edits{ToCoreText(Text10->text()), ToCoreText(Text11->text()), ToCoreText(Text12->text()),
                                  ToCoreText(Text13->text())};
    if (const formats::Result<void> applied = bank::ApplyRecordEdits(bank_, *shownLine_, edits); !applied) {
        TellCoreText(prompter_, applied.error().message, MessageIcon::Exclamation);
        return;
    }
    List2->item(static_cast<int>(*shownLine_))->setText(FromCoreText(bank_.Lines[*shownLine_]));
}

// ---- List operations ---------------------------------------------------------------------

std::optional<formats::Bytes> Form1::EncodeForBank() {
    melody::EncodeResult encoded = melody::EncodeMelody(EditFields(), bank_.UnicodeNames, std::nullopt);
    if (!ReportEncoding(encoded)) {
        return std::nullopt;
    }
    return std::move(*encoded.record);
}

bool Form1::AllowListChange(bank::ListChange change) {
    const formats::Result<void> allowed = bank::CheckListChange(bank_, change, SelectedLine());
    if (!allowed) {
        TellCoreText(prompter_, allowed.error().message, MessageIcon::Exclamation);
    }
    return allowed.has_value();
}

void Form1::MoveMelodyUp() {
    DisableApply();
    if (!AllowListChange(bank::ListChange::MoveUp)) {
        return;
    }
    if (const bank::Selection moved = bank::MoveUp(bank_, SelectedLine())) {
        ShowBankLines(moved);
        ShowSelectedRecord();
    }
}

void Form1::MoveMelodyDown() {
    DisableApply();
    if (!AllowListChange(bank::ListChange::MoveDown)) {
        return;
    }
    if (const bank::Selection moved = bank::MoveDown(bank_, SelectedLine())) {
        ShowBankLines(moved);
        ShowSelectedRecord();
    }
}

void Form1::StoreRecord(bank::Selection line, StoreInBank store, formats::ByteView record,
                        MessageIcon refusalIcon) {
    const formats::Result<bank::Selection> stored = store(bank_, line, record);
    if (!stored) {
        TellCoreText(prompter_, stored.error().message, refusalIcon);
        return;
    }
    ShowBankLines(*stored);
    ShowSelectedRecord();
}

void Form1::ReplaceMelody() {
    DisableApply();
    const bank::Selection line = SelectedLine();
    if (!line) {
        return;
    }
    if (const std::optional<formats::Bytes> record = EncodeForBank()) {
        StoreRecord(line, &bank::Replace, *record, MessageIcon::Exclamation);
    }
}

void Form1::InsertMelody() {
    DisableApply();
    const bank::Selection line = SelectedLine();
    // The limit is told before the melody is encoded, so its messages do not come first.
    const formats::Result<bank::Selection> position = bank::InsertPosition(bank_, line);
    if (!position) {
        TellCoreText(prompter_, position.error().message);
        return;
    }
    if (!*position) {
        return;
    }
    if (const std::optional<formats::Bytes> record = EncodeForBank()) {
        StoreRecord(line, &bank::Insert, *record, MessageIcon::Exclamation);
    }
}

void Form1::DeleteMelody() {
    DisableApply();
    if (!AllowListChange(bank::ListChange::Delete)) {
        return;
    }
    if (bank::Delete(bank_, SelectedLine())) {
        ShowBankLines(std::nullopt);
    }
}

void Form1::ReindexMelodies() {
    DisableApply();
    bank::Reindex(bank_);
}

// ---- RE files ----------------------------------------------------------------------------

void Form1::ImportReFile(bank::Selection line, StoreInBank store) {
    const std::optional<QString> path = CD6.Choose(prompter_);
    if (!path) {
        return;
    }
    const formats::Result<formats::Bytes> file = formats::ReadFileBytes(ToFilePath(*path));
    if (!file) {
        TellCoreMessage(prompter_, file.error().message);
        return;
    }
    StoreRecord(line, store, *file, MessageIcon::None);
}

void Form1::ReplaceFromFile() {
    DisableApply();
    if (const bank::Selection line = SelectedLine()) {
        ImportReFile(line, &bank::ReplaceFromRe);
    }
}

void Form1::InsertFromFile() {
    DisableApply();
    const bank::Selection line = SelectedLine();
    const formats::Result<bank::Selection> position = bank::InsertPosition(bank_, line);
    if (!position) {
        TellCoreText(prompter_, position.error().message);
        return;
    }
    if (*position) {
        ImportReFile(line, &bank::InsertFromRe);
    }
}

void Form1::ExportMelody() {
    const bank::Selection line = SelectedLine();
    if (!line) {
        return;
    }
    const std::optional<QString> path = CD7.Choose(prompter_, FromCoreText(bank_.Lines[*line]));
    if (!path) {
        return;
    }
    const std::optional<formats::TextFormat> format = prompter_.ChooseTextFormat(bank_.UnicodeNames);
    if (!format) {
        return;
    }
    const formats::Result<formats::Bytes> bytes = bank::ExportRecord(bank_.Records[*line], bank_.UnicodeNames, *format);
    if (!bytes) {
        TellCoreText(prompter_, bytes.error().message);
        return;
    }
    if (const formats::Result<void> written = formats::WriteFileAtomic(ToFilePath(*path), *bytes); !written) {
        TellCoreMessage(prompter_, written.error().message);
    }
}

}  // namespace belltower::ui
