// SPDX-License-Identifier: GPL-3.0-or-later
// The preview's sound player in the desktop program: Qt Multimedia on the system's default
// audio output.
#pragma once

#include <filesystem>
#include <memory>

#include "preview/player.h"

class QAudioOutput;
class QMediaPlayer;

namespace belltower::ui {

class QtPlayer final : public preview::Player {
public:
    // Opens the default audio output; nothing is heard until Play.
    QtPlayer();
    ~QtPlayer() override;
    QtPlayer(const QtPlayer&) = delete;
    QtPlayer& operator=(const QtPlayer&) = delete;

    // Starts the file from its beginning and returns at once. A player that cannot play it
    // (no audio device, no decoder) stays silent, says why on the program's error output and
    // reports it to the error handler.
    void Play(const std::filesystem::path& wav) override;
    void Stop() override;

private:
    std::unique_ptr<QAudioOutput> output_;  // declared first: outlives the player using it
    std::unique_ptr<QMediaPlayer> player_;
};

}  // namespace belltower::ui
