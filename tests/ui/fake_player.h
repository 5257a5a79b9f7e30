// A Player for widget tests: records every call and keeps a copy of each file it was given,
// since the next preview overwrites the same path.
#pragma once

#include <QByteArray>
#include <QFile>

#include <filesystem>
#include <string>
#include <vector>

#include "preview/player.h"

namespace belltower::ui::testing {

class FakePlayer final : public preview::Player {
public:
    void Play(const std::filesystem::path& wav) override {
        calls.emplace_back("Play");
        played.push_back(wav);
        QFile file(QString::fromStdString(wav.string()));
        playedBytes.push_back(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    void Stop() override { calls.emplace_back("Stop"); }
    // The player finds it cannot play, as a real one does without an audio output.
    void Fail(const std::string& description) { ReportError(description); }

    std::vector<std::string> calls;  // "Play" and "Stop" in order
    std::vector<std::filesystem::path> played;
    std::vector<QByteArray> playedBytes;
};

}  // namespace belltower::ui::testing
