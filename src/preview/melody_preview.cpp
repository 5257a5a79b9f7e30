// SPDX-License-Identifier: GPL-3.0-or-later
#include "preview/melody_preview.h"

#include "preview/temp_files.h"

namespace belltower::preview {

formats::Result<PreviewWav> RenderPreviewIn(const std::filesystem::path& directory, formats::ByteView melody,
                                            const RenderOptions& options, const RenderLimits& limits) {
    const std::filesystem::path wav = directory / kMelodyWavName;
    const auto written = WriteWavFile(melody, wav, options, limits);
    if (!written) {
        return written.error();
    }
    return PreviewWav{wav, written->truncated};
}

formats::Result<PreviewWav> RenderPreview(formats::ByteView melody, const RenderOptions& options,
                                          const RenderLimits& limits) {
    const auto directory = PrivateTempDir();
    if (!directory) {
        return directory.error();
    }
    return RenderPreviewIn(*directory, melody, options, limits);
}

}  // namespace belltower::preview
