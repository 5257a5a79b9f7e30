// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt_prompter.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>

#include "ui/about_window.h"
#include "ui/format_dialog.h"
#include "ui/midi_track_dialog.h"

namespace belltower::ui {

std::optional<FileChoice> QtPrompter::ChooseFile(const FileDialogRequest& request) {
    QString start = request.folder;
    if (!request.fileName.isEmpty()) {
        start = start.isEmpty() ? request.fileName : QDir(start).filePath(request.fileName);
    }
    const QString filter = request.filters.join(QStringLiteral(";;"));
    QString chosenFilter;
    const QString path = request.mode == FileDialogMode::Open
                             ? QFileDialog::getOpenFileName(parent_, request.title, start, filter, &chosenFilter)
                             : QFileDialog::getSaveFileName(parent_, request.title, start, filter, &chosenFilter);
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return FileChoice{path, std::max<qsizetype>(0, request.filters.indexOf(chosenFilter))};
}

MessageAnswer QtPrompter::ShowMessage(const MessageRequest& message) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    if (message.icon == MessageIcon::Critical) {
        icon = QMessageBox::Critical;
    } else if (message.icon == MessageIcon::Exclamation) {
        icon = QMessageBox::Warning;
    }
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::Ok;
    if (message.buttons == MessageButtons::OkCancel) {
        buttons = QMessageBox::Ok | QMessageBox::Cancel;
    } else if (message.buttons == MessageButtons::SaveDiscardCancel) {
        buttons = QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
        defaultButton = QMessageBox::Save;
    } else if (message.buttons == MessageButtons::ApplyDiscardCancel) {
        buttons = QMessageBox::Apply | QMessageBox::Discard | QMessageBox::Cancel;
        defaultButton = QMessageBox::Apply;
    }
    const QString title = message.title.isEmpty() ? QStringLiteral("Belltower") : message.title;
    QMessageBox box(icon, title, message.text, buttons, parent_);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    const QPushButton* action =
        message.action.isEmpty() ? nullptr : box.addButton(message.action, QMessageBox::ActionRole);
    const int answer = box.exec();
    if (action != nullptr && box.clickedButton() == action) {
        return MessageAnswer::Action;
    }
    switch (answer) {
    case QMessageBox::Apply:
        return MessageAnswer::Apply;
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    case QMessageBox::Save:
        return MessageAnswer::Save;
    case QMessageBox::Discard:
        return MessageAnswer::Discard;
    default:
        return MessageAnswer::Cancel;
    }
}

std::optional<formats::TextFormat> QtPrompter::ChooseTextFormat(formats::TextFormat suggested) {
    FormatDialog dialog(suggested, parent_);
    dialog.exec();
    return dialog.Choice();
}

std::optional<MidiTrackChoice> QtPrompter::ChooseMidiTrack(const MidiTrackRequest& request) {
    MidiTrackDialog dialog(request, parent_);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Choice();
}

void QtPrompter::ShowAbout() {
    AboutWindow dialog(parent_);
    dialog.exec();
}

}  // namespace belltower::ui
