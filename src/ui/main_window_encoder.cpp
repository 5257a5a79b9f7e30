// SPDX-License-Identifier: GPL-3.0-or-later
// Save as RE: the melody of the edit fields encoded as one melody record and saved as an RE
// file, in the text format the user picks for the phone it is meant for.
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "melody/tone_encoder.h"
#include "ui/core_text.h"
#include "ui/main_window.h"
#include "ui/prompter.h"

namespace belltower::ui {

void MainWindow::ConnectEncoderControls() {
    connect(saveReButton, &QPushButton::clicked, this, &MainWindow::SaveAsRe);
}

bool MainWindow::ReportEncoding(const melody::EncodeResult& encoded) {
    tokenList->clear();
    for (const std::string& token : encoded.tokens) {
        tokenList->addItem(FromCoreText(token));
    }
    if (encoded.noData) {
        prompter_.ShowMessage(
            {QString::fromLatin1(melody::kNoDataText), QString(), MessageIcon::None, MessageButtons::Ok});
    }
    if (!encoded.record) {
        // The encoder's messages quote tokens of the notes: bytes, shown as Latin-1.
        prompter_.ShowMessage(
            {FromCoreText(encoded.record.error().message), QString(), MessageIcon::Exclamation, MessageButtons::Ok});
        return false;
    }
    return true;
}

void MainWindow::ShowWriteFailure(const formats::Error& error) {
    // The operating system's description, with the path in the file system's encoding.
    prompter_.ShowMessage({FromCoreMessage(error.message), QString(), MessageIcon::Exclamation, MessageButtons::Ok});
}

formats::TextFormat MainWindow::BankTextFormat() const {
    return bank_.UnicodeNames;
}

void MainWindow::SaveAsRe() {
    const std::optional<QString> path = saveReDialog.Choose(prompter_, nameEdit->text());
    if (!path) {
        return;
    }
    // The bank's format is only the suggestion: the file gets the format chosen here, so a
    // Unicode file can be made for a 7110 while an ASCII firmware is open.
    const std::optional<formats::TextFormat> format = prompter_.ChooseTextFormat(BankTextFormat());
    if (!format) {
        return;
    }
    // The whole notes text, whatever part of it is selected. A failed run writes nothing, so
    // a file already at the path stays as it was.
    const melody::EncodeFileResult saved =
        melody::EncodeMelodyFile(ToFilePath(*path), EditFields(), *format, std::nullopt);
    if (!ReportEncoding(saved.encoded)) {
        return;
    }
    if (saved.writeError) {
        ShowWriteFailure(*saved.writeError);
        return;
    }
    Say(QStringLiteral("Saved %1").arg(QFileInfo(*path).fileName()));
}

}  // namespace belltower::ui
