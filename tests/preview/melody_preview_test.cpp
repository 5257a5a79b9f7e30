#include "preview/melody_preview.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "formats/file_io.h"
#include "support/hex.h"

namespace belltower::preview {
namespace {

namespace fs = std::filesystem;

TEST(RenderPreview, WritesMelodyWavWithTheWindowsOptions) {
    const fs::path dir = fs::temp_directory_path() / ("belltower-preview-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const formats::Bytes tones = testing::Hex("0A01 7B0A 400A");
    struct Case {
        PreviewOptions options;
        bool noVibration;
    };
    for (const Case& c : {Case{{false, false, 0}, true}, Case{{true, false, 1}, false}, Case{{true, true, 2}, false}}) {
        const auto wav = RenderPreviewIn(dir, tones, c.options);
        ASSERT_TRUE(wav);
        EXPECT_EQ(dir / "$melody$.wav", wav->path);
        EXPECT_FALSE(wav->truncated);
        EXPECT_BYTES_EQ(WriteWav(tones, c.noVibration, c.options.halfQuality, c.options.trueHardware).wav,
                        *formats::ReadFileBytes(wav->path));
    }
    EXPECT_TRUE(RenderPreviewIn(dir, testing::Hex("0503 41FF 06"), {}, RenderLimits{1})->truncated);
    fs::remove_all(dir);

    const auto failed = RenderPreviewIn(dir / "gone", tones, {});
    ASSERT_FALSE(failed);
    EXPECT_EQ(formats::ErrorCode::Io, failed.error().code);
}

}  // namespace
}  // namespace belltower::preview
