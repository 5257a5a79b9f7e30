#include "preview/melody_preview.h"

#include <gtest/gtest.h>

#include "formats/file_io.h"
#include "support/hex.h"
#include "support/scratch_dir.h"

namespace belltower::preview {
namespace {

using melody::Hardware;

TEST(RenderPreview, WritesMelodyWavWithTheWindowsOptions) {
    const testing::ScratchDir dir;
    const formats::Bytes tones = testing::Hex("0A01 7B0A 400A");
    for (const RenderOptions& options :
         {RenderOptions{false, false, Hardware::None}, RenderOptions{true, false, Hardware::Phone},
          RenderOptions{true, true, Hardware::LogoManager}}) {
        const auto wav = RenderPreviewIn(dir.path(), tones, options);
        ASSERT_TRUE(wav);
        EXPECT_EQ(dir / "$melody$.wav", wav->path);
        EXPECT_FALSE(wav->truncated);
        EXPECT_BYTES_EQ(WriteWav(tones, options).wav, *formats::ReadFileBytes(wav->path));
    }
    EXPECT_TRUE(RenderPreviewIn(dir.path(), testing::Hex("0503 41FF 06"), {}, RenderLimits{1})->truncated);
    const auto failed = RenderPreviewIn(dir / "gone", tones, {});
    ASSERT_FALSE(failed);
    EXPECT_EQ(formats::ErrorCode::Io, failed.error().code);
}

}  // namespace
}  // namespace belltower::preview
