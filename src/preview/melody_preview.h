// SPDX-License-Identifier: GPL-3.0-or-later
// What both play buttons share: a melody record rendered to "$melody$.wav" in the private
// preview directory, ready for the Player.
#pragma once

#include <filesystem>

#include "formats/bytes.h"
#include "formats/result.h"
#include "preview/wav_writer.h"

namespace belltower::preview {

struct PreviewWav {
    std::filesystem::path path;  // the WAV file to play
    bool truncated = false;      // the melody was longer than a preview may be and was cut
};

// Renders the melody (a whole record, or bare tone data) with WriteWav into
// directory / "$melody$.wav", replacing the previous preview. The options are the main
// window's "Emulate Vibration" (Check5), "Half Quality" (Check6) and Hardware box (Combo1),
// read at each press. Io error when the file cannot be written.
formats::Result<PreviewWav> RenderPreviewIn(const std::filesystem::path& directory, formats::ByteView melody,
                                            const RenderOptions& options, const RenderLimits& limits = {});

// RenderPreviewIn the private preview directory (PrivateTempDir); Io error also when that
// directory cannot be made.
formats::Result<PreviewWav> RenderPreview(formats::ByteView melody, const RenderOptions& options,
                                          const RenderLimits& limits = {});

}  // namespace belltower::preview
