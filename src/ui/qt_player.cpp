// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt_player.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QByteArray>
#include <QFile>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>
#include <QtDebug>

namespace belltower::ui {

QtPlayer::QtPlayer() : output_(std::make_unique<QAudioOutput>()), player_(std::make_unique<QMediaPlayer>()) {
    player_->setAudioOutput(output_.get());
    QObject::connect(player_.get(), &QMediaPlayer::errorOccurred, player_.get(),
                     [this](QMediaPlayer::Error /*error*/, const QString& description) {
                         qWarning().noquote() << "Belltower: the preview cannot be played:" << description;
                         ReportError(description.toStdString());
                     });
}

QtPlayer::~QtPlayer() = default;

void QtPlayer::Play(const std::filesystem::path& wav) {
    if (QMediaDevices::audioOutputs().isEmpty()) {
        ReportError("No audio output device is available.");
        return;
    }
    // Every preview is written to the same path. Setting the same source again would be
    // taken as no change and replay the file the player already decoded, so the source is
    // cleared first and the new file is opened afresh.
    player_->setSource(QUrl());
    player_->setSource(QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(wav.string()))));
    player_->play();
}

void QtPlayer::Stop() {
    player_->stop();
}

}  // namespace belltower::ui
