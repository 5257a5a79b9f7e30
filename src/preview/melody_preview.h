// What both play buttons share: a melody record rendered to "$melody$.wav" in the private
// preview directory, ready for the Player.
#pragma once

#include <filesystem>

#include "formats/bytes.h"
#include "formats/result.h"
#include "preview/wav_writer.h"

namespace belltower::preview {

// The three preview options of the main window, read at each press.
struct PreviewOptions {
    bool emulateVibration = false;  // "Emulate Vibration" (Check5) ticked: the hum is rendered
    bool halfQuality = false;       // "Half Quality" (Check6) ticked: 11025 samples per second
    int trueHardware = 0;           // Combo1's list index: 0 "None", 1 "Phone", 2 "LogoManager"
};

struct PreviewWav {
    std::filesystem::path path;  // the WAV file to play
    bool truncated = false;      // the melody was longer than a preview may be and was cut
};

// Renders the melody (a whole record, or bare tone data) with WriteWav into
// directory / "$melody$.wav", replacing the previous preview. Io error when the file cannot
// be written.
formats::Result<PreviewWav> RenderPreviewIn(const std::filesystem::path& directory, formats::ByteView melody,
                                            const PreviewOptions& options, const RenderLimits& limits = {});

// RenderPreviewIn the private preview directory (PrivateTempDir); Io error also when that
// directory cannot be made.
formats::Result<PreviewWav> RenderPreview(formats::ByteView melody, const PreviewOptions& options,
                                          const RenderLimits& limits = {});

}  // namespace belltower::preview
