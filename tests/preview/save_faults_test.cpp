// A failed WAV save leaves the file it would have replaced byte for byte.
#include <gtest/gtest.h>

#include "preview/wav_writer.h"
#include "support/hex.h"
#include "support/save_faults.h"

namespace belltower::preview {
namespace {

testing::SaveCall SaveWav(bool halfQuality) {
    return [halfQuality](const std::filesystem::path& path,
                         const formats::WriteFault* fault) -> std::optional<formats::Error> {
        const auto written =
            WriteWavFile(testing::Hex("0A01 7F0A 0502 400A 06"), path, false, halfQuality, 1, {}, fault);
        return written ? std::nullopt : std::optional(written.error());
    };
}

TEST(WavSave, FailedWritesLeaveTheTargetAsItWas) {
    for (const bool half : {false, true}) {
        SCOPED_TRACE(half ? "half quality" : "full quality");
        testing::ExpectFailedSavesLeaveTargets(SaveWav(half));
    }
}

TEST(WavSave, ReadOnlyFolderKeepsTheTarget) {
    if (!testing::PermissionBitsStopWrites()) {
        GTEST_SKIP() << "running as root: permission bits do not stop writes";
    }
    testing::ExpectReadOnlyFolderKeepsTarget(SaveWav(false));
}

}  // namespace
}  // namespace belltower::preview
