// SPDX-License-Identifier: GPL-3.0-or-later
// What keeps the user's work: the title with the open file and the modified mark, the
// "Save changes" question before work would be thrown away, undo and redo of bank edits,
// the menu bar with its recent files, and files dropped on the window.
#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSettings>
#include <QStatusBar>
#include <QTextDocument>

#include <algorithm>
#include <utility>

#include "bank/list_operations.h"
#include "bank/re_exchange.h"
#include "formats/file_io.h"
#include "ui/core_text.h"
#include "ui/help_guide.h"
#include "ui/main_window.h"
#include "ui/prompter.h"

namespace belltower::ui {
namespace {

const QString kCaption = QStringLiteral("Belltower v.1.1 by Quenby");
const QString kRecentFilesKey = QStringLiteral("recentFiles");

QAction* NewAction(QWidget* window, QMenu* menu, const QString& text, const QKeySequence& shortcut = {}) {
    auto* action = new QAction(text, window);
    action->setShortcut(shortcut);
    menu->addAction(action);
    return action;
}

// A melody file holds one line of text. A file whose first line carries control bytes other
// than tabs is something else, and its bytes would only garble the notes box.
bool FirstLineIsText(const formats::Bytes& file) {
    const auto end = std::find(file.begin(), file.end(), std::uint8_t{'\n'});
    return std::none_of(file.begin(), end,
                        [](std::uint8_t byte) { return byte < 0x20 && byte != '\t' && byte != '\r'; });
}

// Ctrl+Z and Ctrl+Shift+Z in a text box undo and redo its typing. Once the box has nothing of
// its own to undo (Apply has just refilled it, say), they reach the window's Undo and Redo, so
// the change just made is undone wherever the focus stayed.
class UndoFallThrough final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const auto* key = event->type() == QEvent::ShortcutOverride ? dynamic_cast<QKeyEvent*>(event) : nullptr;
        if (key == nullptr) {
            return false;
        }
        const bool undo = key->matches(QKeySequence::Undo);
        const bool redo = key->matches(QKeySequence::Redo) || key->keyCombination() == (Qt::CTRL | Qt::Key_Y);
        bool canUndo = true;
        bool canRedo = true;
        if (const auto* box = qobject_cast<const QLineEdit*>(watched)) {
            canUndo = box->isUndoAvailable();
            canRedo = box->isRedoAvailable();
        } else if (const auto* notes = qobject_cast<const QPlainTextEdit*>(watched)) {
            canUndo = notes->document()->isUndoAvailable();
            canRedo = notes->document()->isRedoAvailable();
        }
        if ((undo && !canUndo) || (redo && !canRedo)) {
            event->ignore();
            return true;
        }
        return false;
    }
};

}  // namespace

void MainWindow::CreateMenus() {
    menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("menuBar"));
    layout()->setMenuBar(menuBar);

    QMenu* file = menuBar->addMenu(QStringLiteral("&File"));
    openMelodyAction = NewAction(this, file, QStringLiteral("&Open Melody..."), QKeySequence::Open);
    saveMelodyAction = NewAction(this, file, QStringLiteral("Save &Melody..."));
    saveReAction = NewAction(this, file, QStringLiteral("Save as &RE..."));
    file->addSeparator();
    loadFirmwareAction = NewAction(this, file, QStringLiteral("&Load Firmware..."));
    saveAction = NewAction(this, file, QStringLiteral("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S));
    saveFirmwareAction =
        NewAction(this, file, QStringLiteral("Save Firmware &As..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    file->addSeparator();
    recentMenu = file->addMenu(QStringLiteral("Recent &Files"));
    file->addSeparator();
    quitAction = NewAction(this, file, QStringLiteral("&Quit"), QKeySequence::Quit);
    // Not every desktop has a standard Quit key.
    quitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* edit = menuBar->addMenu(QStringLiteral("&Edit"));
    undoAction = NewAction(this, edit, QStringLiteral("&Undo"), QKeySequence::Undo);
    redoAction = NewAction(this, edit, QStringLiteral("&Redo"));
    redoAction->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    edit->addSeparator();
    deleteAction = NewAction(this, edit, QStringLiteral("&Delete Melody"), QKeySequence::Delete);
    // Del deletes a melody only while the list has the focus; in a text box it deletes text.
    deleteAction->setShortcutContext(Qt::WidgetShortcut);
    bankList->addAction(deleteAction);
    // The firmware list's context menu: its own actions, Edit first.
    editMelodyAction = new QAction(QStringLiteral("&Edit"), this);
    bankList->insertAction(deleteAction, editMelodyAction);
    bankList->setContextMenuPolicy(Qt::ActionsContextMenu);
    // The keyboard's way to the double click on a firmware melody.
    edit->addAction(editMelodyAction);
    editMelodyAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    stopAction = NewAction(this, edit, QStringLiteral("S&top Preview"), QKeySequence(Qt::Key_Escape));

    QMenu* help = menuBar->addMenu(QStringLiteral("&Help"));
    guideAction = NewAction(this, help, QStringLiteral("&Ringtone Text"), QKeySequence(Qt::Key_F1));
    aboutAction = NewAction(this, help, QStringLiteral("&About Belltower"));

    // Actions whose shortcuts work anywhere in the window, menu shown or not.
    addActions({openMelodyAction, saveAction, saveFirmwareAction, quitAction, undoAction, redoAction, editMelodyAction,
                stopAction, guideAction});

    connect(openMelodyAction, &QAction::triggered, this, &MainWindow::OpenRtx);
    connect(saveMelodyAction, &QAction::triggered, this, &MainWindow::SaveRtx);
    connect(saveReAction, &QAction::triggered, this, &MainWindow::SaveAsRe);
    connect(loadFirmwareAction, &QAction::triggered, this, &MainWindow::LoadFirmwareClicked);
    connect(saveFirmwareAction, &QAction::triggered, this, &MainWindow::SaveFirmware);
    connect(saveAction, &QAction::triggered, this, &MainWindow::Save);
    connect(guideAction, &QAction::triggered, this, &MainWindow::ShowGuide);
    connect(quitAction, &QAction::triggered, this, &QWidget::close);
    connect(undoAction, &QAction::triggered, this, &MainWindow::UndoChange);
    connect(redoAction, &QAction::triggered, this, &MainWindow::RedoChange);
    connect(deleteAction, &QAction::triggered, this, &MainWindow::DeleteMelody);
    connect(editMelodyAction, &QAction::triggered, this, &MainWindow::EditMelody);
    connect(bankList, &QListWidget::itemDoubleClicked, this, &MainWindow::EditMelody);
    connect(stopAction, &QAction::triggered, this, &MainWindow::StopPreview);
    connect(aboutAction, &QAction::triggered, this, &MainWindow::ShowAbout);
    auto* undoFallThrough = new UndoFallThrough(this);
    for (QLineEdit* box : findChildren<QLineEdit*>()) {
        box->installEventFilter(undoFallThrough);
    }
    notesEdit->installEventFilter(undoFallThrough);
    ShowRecentFiles();
}

void MainWindow::RememberDialogFolders() {
    const std::pair<FileDialog*, const char*> dialogs[] = {
        {&openMelodyDialog, "CD1"}, {&saveReDialog, "cd2"}, {&openFirmwareDialog, "CD3"}, {&saveFirmwareDialog, "CD4"},
        {&saveRtxDialog, "CD5"},    {&openReDialog, "CD6"}, {&exportReDialog, "CD7"},
    };
    for (const auto& [dialog, name] : dialogs) {
        dialog->RememberFolderAs(QLatin1String(name));
    }
}

// ---- The title and the modified mark ---------------------------------------------------

void MainWindow::UpdateTitle() {
    const QString file = imagePath_.isEmpty() ? melodyPath_ : imagePath_;
    setWindowFilePath(file);
    setWindowTitle(file.isEmpty() ? kCaption + QStringLiteral("[*]")
                                  : QFileInfo(file).fileName() + QStringLiteral("[*] - ") + kCaption);
    setWindowModified(IsBankModified());
}

void MainWindow::MarkFieldsModified(bool modified) {
    fieldsModified_ = modified;
    melodyBox->setTitle(modified ? QStringLiteral("Melody *") : QStringLiteral("Melody"));
}

void MainWindow::Say(const QString& message) {
    statusBar->showMessage(message);
}

bool MainWindow::Save() {
    if (imagePath_.isEmpty() && !bank_.FirmwareLoaded) {
        return SaveRtx();
    }
    if (imagePath_.isEmpty()) {
        return SaveFirmware();
    }
    return ConfirmFirmwareSave() && WriteFirmware(imagePath_);
}

void MainWindow::ShowGuide() {
    if (helpGuide == nullptr) {
        helpGuide = new HelpGuide(this);
    }
    helpGuide->show();
    helpGuide->raise();
    helpGuide->activateWindow();
    helpGuide->findEdit->setFocus();
}

bool MainWindow::MaySaveBank() {
    if (!IsBankModified()) {
        return true;
    }
    const QString what = imagePath_.isEmpty() ? QStringLiteral("the firmware melodies")
                                              : QStringLiteral("\"%1\"").arg(QFileInfo(imagePath_).fileName());
    return AskToSave(what, &MainWindow::SaveFirmware);
}

bool MainWindow::MaySaveFields() {
    if (!AreFieldsModified()) {
        return true;
    }
    QString what = QStringLiteral("the melody");
    if (!melodyPath_.isEmpty()) {
        what = QStringLiteral("\"%1\"").arg(QFileInfo(melodyPath_).fileName());
    } else if (!nameEdit->text().isEmpty()) {
        what = QStringLiteral("the melody \"%1\"").arg(nameEdit->text());
    }
    return AskToSave(what, &MainWindow::SaveRtx);
}

bool MainWindow::AskToSave(const QString& what, bool (MainWindow::*save)()) {
    switch (prompter_.ShowMessage({QStringLiteral("Save changes to %1?").arg(what), QString(), MessageIcon::Exclamation,
                                   MessageButtons::SaveDiscardCancel})) {
    case MessageAnswer::Save:
        return (this->*save)();
    case MessageAnswer::Discard:
        return true;
    default:
        return false;
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (MaySaveBank() && MaySaveFields()) {
        StopPreview();
        event->accept();
    } else {
        event->ignore();
    }
}

// ---- Undo and redo ---------------------------------------------------------------------

void MainWindow::RecordChange(const std::string& name, bank::BankState before, const QString& done) {
    if (history_.Add(name, std::move(before), bank_, SelectedLine())) {
        UpdateHistoryActions();
        UpdateTitle();
    }
    Say(done);
}

void MainWindow::UpdateHistoryActions() {
    const std::optional<std::string> undo = history_.UndoName();
    const std::optional<std::string> redo = history_.RedoName();
    undoAction->setText(undo ? QStringLiteral("&Undo ") + FromCoreText(*undo) : QStringLiteral("&Undo"));
    redoAction->setText(redo ? QStringLiteral("&Redo ") + FromCoreText(*redo) : QStringLiteral("&Redo"));
    undoAction->setEnabled(undo.has_value());
    redoAction->setEnabled(redo.has_value());
}

void MainWindow::UndoChange() {
    const std::optional<std::string> name = history_.UndoName();
    if (const std::optional<bank::Selection> selected = history_.Undo(bank_)) {
        ShowRestored(*selected);
        Say(QStringLiteral("Undone: ") + FromCoreText(name.value_or(std::string())));
    }
}

void MainWindow::RedoChange() {
    const std::optional<std::string> name = history_.RedoName();
    if (const std::optional<bank::Selection> selected = history_.Redo(bank_)) {
        ShowRestored(*selected);
        Say(QStringLiteral("Redone: ") + FromCoreText(name.value_or(std::string())));
    }
}

void MainWindow::ShowRestored(bank::Selection selected) {
    DisableApply();
    ShowBankLines(selected);
    if (selected) {
        bankList->scrollToItem(bankList->item(static_cast<int>(*selected)));
    }
    UpdateHistoryActions();
    UpdateTitle();
}

// ---- Recent files ----------------------------------------------------------------------

QStringList MainWindow::RecentFiles() {
    return ProgramSettings()->value(kRecentFilesKey).toStringList();
}

void MainWindow::AddRecentFile(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList files = RecentFiles();
    files.removeAll(absolute);
    files.prepend(absolute);
    ProgramSettings()->setValue(kRecentFilesKey, files.mid(0, kRecentFiles));
    ShowRecentFiles();
}

void MainWindow::ShowRecentFiles() {
    recentMenu->clear();
    const QStringList files = RecentFiles();
    recentMenu->setEnabled(!files.isEmpty());
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString& path = files.at(i);
        QAction* action = recentMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()));
        action->setToolTip(path);
        action->setStatusTip(path);
        connect(action, &QAction::triggered, this, [this, path] {
            if (const std::optional<QString> problem = OpenNamedFile(path, true)) {
                prompter_.ShowMessage({QStringLiteral("%1 cannot be opened: %2").arg(path, *problem), QString(),
                                       MessageIcon::Exclamation, MessageButtons::Ok});
            }
        });
    }
}

// ---- Dropped files ---------------------------------------------------------------------

void MainWindow::OpenDroppedFile(const QString& path) {
    const QFileInfo info(path);
    if (info.isFile() && info.size() <= kLargestMelodyFile) {
        const formats::Result<formats::Bytes> file = formats::ReadFileBytes(ToFilePath(path));
        if (file && bank::ValidateReFile(*file)) {
            ImportDroppedRecord(path, *file);
            return;
        }
        if (file && !FirstLineIsText(*file)) {
            prompter_.ShowMessage({QStringLiteral("%1 is neither a ringtone text file nor an RE file, so it "
                                                  "was not opened.")
                                       .arg(info.fileName()),
                                   QString(), MessageIcon::Exclamation, MessageButtons::Ok});
            return;
        }
    }
    (void)OpenNamedFile(path, true);
}

void MainWindow::ImportDroppedRecord(const QString& path, const formats::Bytes& file) {
    const QString name = QFileInfo(path).fileName();
    if (!bank_.FirmwareLoaded && bank_.Count() == 0) {
        prompter_.ShowMessage({QStringLiteral("%1 is a melody record (RE file). Load a firmware image first, then "
                                              "drop it on the window to add it to the firmware melodies.")
                                   .arg(name),
                               QString(), MessageIcon::Exclamation, MessageButtons::Ok});
        return;
    }
    // Above the selected melody, as Insert does; at the top when none is selected.
    const bank::Selection line = SelectedLine().value_or(0);
    const formats::Result<bank::Selection> position = bank::InsertPosition(bank_, line);
    if (!position) {
        prompter_.ShowMessage(
            {FromCoreText(position.error().message), QString(), MessageIcon::None, MessageButtons::Ok});
        return;
    }
    const QString where = SelectedLine() ? QStringLiteral("above the selected melody") : QStringLiteral("at the top");
    if (prompter_.ShowMessage(
            {QStringLiteral("Insert the melody of %1 into the firmware melodies, %2?").arg(name, where), QString(),
             MessageIcon::None, MessageButtons::OkCancel}) != MessageAnswer::Ok) {
        return;
    }
    DisableApply();
    StoreRecord(line, &bank::InsertFromRe, file, MessageIcon::None, "Insert");
}

}  // namespace belltower::ui
