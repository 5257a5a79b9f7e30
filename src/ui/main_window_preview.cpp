// SPDX-License-Identifier: GPL-3.0-or-later
// The two play buttons: a melody record rendered as a WAV file in the private preview
// directory and played in the background.
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QStatusBar>

#include "melody/tone_encoder.h"
#include "preview/melody_preview.h"
#include "ui/core_text.h"
#include "ui/main_window.h"
#include "ui/prompter.h"
#include "ui/qt_player.h"

namespace belltower::ui {

void MainWindow::ConnectPreviewControls() {
    connect(playMelodyButton, &QPushButton::clicked, this, &MainWindow::PlaySelectedMelody);
    connect(playNotesButton, &QPushButton::clicked, this, &MainWindow::PlayEditFields);
    connect(stopButton, &QPushButton::clicked, this, &MainWindow::StopPreview);
}

void MainWindow::SetPreviewPlayer(preview::Player& player) {
    player_ = &player;
    player_->SetErrorHandler([this](const std::string& description) { ShowPlaybackError(description); });
}

void MainWindow::ShowPlaybackError(const std::string& description) {
    // A player may report one failure several times (the source, then the output).
    if (playbackErrorShown_) {
        return;
    }
    playbackErrorShown_ = true;
    statusBar->showMessage(QStringLiteral("The preview cannot be played: ") + QString::fromStdString(description));
}

void MainWindow::StopPreview() {
    if (player_ != nullptr) {
        player_->Stop();
    }
    StopPlayhead();
}

void MainWindow::PlaySelectedMelody() {
    const std::optional<formats::Bytes> record = SelectedBankRecord();
    if (record) {
        ShowBankMelodyInRoll();
        PlayPreview(*record);
    }
}

std::optional<formats::Bytes> MainWindow::SelectedBankRecord() const {
    const bank::Selection line = SelectedLine();
    if (!line) {
        return std::nullopt;
    }
    return bank_.Records[*line];
}

void MainWindow::PlayEditFields() {
    // Only the selected notes when some are selected, and the name in ASCII: the preview
    // never depends on the bank's format.
    const melody::EncodeResult encoded =
        melody::EncodeMelody(EditFields(), formats::TextFormat::Ascii, NotesSelection());
    if (ReportEncoding(encoded)) {
        ShowEncodingInRoll(encoded);  // what plays, the selected notes only when some are
        PlayPreview(*encoded.record);
    }
}

melody::Hardware MainWindow::ChosenHardware() const {
    return static_cast<melody::Hardware>(hardwareCombo->currentIndex());
}

void MainWindow::PlayPreview(formats::ByteView melody) {
    // The options are read at every press.
    const preview::RenderOptions options{vibrationBox->isChecked(), halfQualityBox->checkState() != Qt::Unchecked,
                                         ChosenHardware()};
    const formats::Result<preview::PreviewWav> wav = preview::RenderPreview(melody, options);
    if (!wav) {
        ShowWriteFailure(wav.error());
        return;
    }
    preview::Player& player = PreviewPlayer();
    player.Stop();
    playbackErrorShown_ = false;
    statusBar->clearMessage();
    player.Play(wav->path);
    StartPlayhead();
    if (wav->truncated) {
        // Told after the sound has started, so the user hears it while reading.
        prompter_.ShowMessage({QStringLiteral("This melody plays for more than %1 minutes; the preview stops there.")
                                   .arg(preview::RenderLimits{}.maxSeconds / 60),
                               QString(), MessageIcon::None, MessageButtons::Ok});
    }
}

preview::Player& MainWindow::PreviewPlayer() {
    if (player_ == nullptr) {
        ownPlayer_ = std::make_unique<QtPlayer>();
        SetPreviewPlayer(*ownPlayer_);
    }
    return *player_;
}

}  // namespace belltower::ui
