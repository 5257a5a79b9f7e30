// SPDX-License-Identifier: GPL-3.0-or-later
// The sound player the preview hands its WAV file to. The desktop program plays through the
// system's audio output; tests use a fake that records the calls.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <utility>

namespace belltower::preview {

class Player {
public:
    virtual ~Player() = default;

    // Starts playing a 16-bit mono PCM WAV file in the background and returns at once; a sound
    // still playing is replaced by the new one.
    virtual void Play(const std::filesystem::path& wav) = 0;

    // Stops the sound, if any.
    virtual void Stop() = 0;

    // Called with a description, in English, when a sound cannot be played (no audio output
    // device, a file the player cannot open): from Play or later, on the caller's thread.
    using ErrorHandler = std::function<void(const std::string& description)>;
    void SetErrorHandler(ErrorHandler handler) { errorHandler_ = std::move(handler); }

protected:
    void ReportError(const std::string& description) const {
        if (errorHandler_) {
            errorHandler_(description);
        }
    }

private:
    ErrorHandler errorHandler_;
};

}  // namespace belltower::preview
