// SPDX-License-Identifier: GPL-3.0-or-later
#include "preview/melody_preview.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "formats/file_io.h"
#include "preview/temp_files.h"
#include "support/hex.h"
#include "support/scratch_dir.h"

namespace belltower::preview {
namespace {

namespace fs = std::filesystem;
using melody::Hardware;

TEST(PrivateDir, IsMadeOnceWithModeSevenHundredOrIsThePrivateRuntimeDirectory) {
    const testing::ScratchDir base;
    const fs::path own = base / ("belltower-" + std::to_string(::geteuid()));
    const mode_t oldMask = ::umask(0277);  // a umask that would leave the owner without write access
    const auto dir = PrivateTempDirUnder(std::nullopt, base.path());
    ::umask(oldMask);
    ASSERT_TRUE(dir);
    EXPECT_EQ(own, *dir);
    EXPECT_EQ(fs::perms::owner_all, fs::status(*dir).permissions());
    EXPECT_EQ(*dir, *PrivateTempDirUnder(std::nullopt, base.path()));

    const fs::path runtime = base / "run";
    fs::create_directory(runtime);
    fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
    EXPECT_EQ(runtime / "belltower", *PrivateTempDirUnder(runtime, base.path()));
    fs::permissions(runtime, fs::perms::all, fs::perm_options::replace);  // writable by anyone: not used
    EXPECT_EQ(own, *PrivateTempDirUnder(runtime, base.path()));
    EXPECT_EQ(own, *PrivateTempDirUnder(base / "missing", base.path()));
}

TEST(RenderPreview, WritesMelodyWavWithTheWindowsOptions) {
    const testing::ScratchDir dir;
    const formats::Bytes tones = testing::Hex("0A01 7B0A 400A");
    const RenderOptions options{false, true, Hardware::Phone};  // each unlike its default; 0x7B out of range
    const auto wav = RenderPreviewIn(dir.path(), tones, options);
    ASSERT_TRUE(wav);
    EXPECT_EQ(dir / "$melody$.wav", wav->path);
    EXPECT_FALSE(wav->truncated);
    EXPECT_BYTES_EQ(WriteWav(tones, options).wav, *formats::ReadFileBytes(wav->path));
    EXPECT_TRUE(RenderPreviewIn(dir.path(), testing::Hex("0503 41FF 06"), {}, RenderLimits{1})->truncated);
    EXPECT_EQ(formats::ErrorCode::Io, RenderPreviewIn(dir / "gone", tones, {}).error().code);
}

// Sets an environment variable (or removes it) for the life of the object.
struct ScopedEnv {
    ScopedEnv(const char* name, const char* value) : name_(name) {
        old_ = std::getenv(name) != nullptr ? std::optional<std::string>(std::getenv(name)) : std::nullopt;
        value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }
    const char* name_;
    std::optional<std::string> old_;
};

// Another user of the shared temporary folder got to the per-user name first, with a link to a
// folder of their choosing or a directory others may enter, and planted links at both fixed
// file names: the preview goes to a fresh private directory and follows none of them.
TEST(PrivateDir, APreviewFollowsNoPlantedLinkAndUsesNoOpenDirectory) {
    const formats::Bytes precious = testing::Hex("50 52 45 43 49 4F 55 53");
    for (const bool link : {true, false}) {
        SCOPED_TRACE(link ? "link" : "open directory");
        const testing::ScratchDir base;
        const fs::path own = base / ("belltower-" + std::to_string(::geteuid()));
        fs::create_directory(base / "victim");
        ASSERT_TRUE(formats::WriteFileAtomic(base / "victim.txt", precious));
        if (link) {
            fs::create_directory_symlink(base / "victim", own);
        } else {
            fs::create_directory(own);
            fs::permissions(own, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec,
                            fs::perm_options::replace);
        }
        fs::create_symlink(base / "victim.txt", base / kMelodyWavName);
        fs::create_symlink(base / "victim.txt", base / kMelodyReName);

        const ScopedEnv temporary("TMPDIR", base.path().c_str());
        const ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
        const auto preview = RenderPreview(testing::Hex("0A01 410A"), {});
        ASSERT_TRUE(preview) << preview.error().message;
        EXPECT_EQ(*MelodyWavPath(), preview->path);
        const fs::path folder = preview->path.parent_path();
        EXPECT_EQ(folder, MelodyRePath()->parent_path());
        EXPECT_EQ(base.path(), folder.parent_path());
        EXPECT_NE(own, folder);
        EXPECT_TRUE(IsPrivateDirectory(folder));
        EXPECT_BYTES_EQ(WriteWav(testing::Hex("0A01 410A"), {}).wav, *formats::ReadFileBytes(preview->path));
        EXPECT_TRUE(fs::is_empty(base / "victim"));
        EXPECT_BYTES_EQ(precious, *formats::ReadFileBytes(base / "victim.txt"));
        EXPECT_EQ(link ? fs::perms::all : fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec,
                  fs::symlink_status(own).permissions());
        EXPECT_TRUE(fs::is_symlink(base / kMelodyWavName));
    }
}

}  // namespace
}  // namespace belltower::preview
