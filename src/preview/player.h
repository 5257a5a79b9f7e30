// The sound player the preview hands its WAV file to. The desktop program plays through the
// system's audio output; tests use a fake that records the calls.
#pragma once

#include <filesystem>

namespace belltower::preview {

class Player {
public:
    virtual ~Player() = default;

    // Starts playing a 16-bit mono PCM WAV file in the background and returns at once; a sound
    // still playing is replaced by the new one.
    virtual void Play(const std::filesystem::path& wav) = 0;

    // Stops the sound, if any.
    virtual void Stop() = 0;
};

}  // namespace belltower::preview
