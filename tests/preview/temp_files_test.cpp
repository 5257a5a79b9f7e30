#include "preview/temp_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "formats/bytes.h"
#include "formats/file_io.h"
#include "preview/melody_preview.h"
#include "support/hex.h"

namespace belltower::preview {
namespace {

namespace fs = std::filesystem;

mode_t ModeOf(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(0, ::lstat(path.c_str(), &info)) << path;
    return info.st_mode & 07777;
}

class PrivateDir : public ::testing::Test {
protected:
    void SetUp() override {
        base_ = fs::temp_directory_path() / ("belltower-tmptest-" + std::to_string(::getpid()));
        fs::remove_all(base_);
        fs::create_directories(base_);
    }
    void TearDown() override { fs::remove_all(base_); }
    std::string Own() const { return "belltower-" + std::to_string(::geteuid()); }
    fs::path base_;
};

TEST_F(PrivateDir, IsMadeOnceWithModeSevenHundred) {
    const mode_t oldMask = ::umask(0277);  // a umask that would leave the owner without write access
    const auto dir = PrivateTempDirUnder(std::nullopt, base_);
    ::umask(oldMask);
    ASSERT_TRUE(dir);
    EXPECT_EQ(base_ / Own(), *dir);
    EXPECT_EQ(0700U, ModeOf(*dir));
    EXPECT_EQ(*dir, *PrivateTempDirUnder(std::nullopt, base_));
}

TEST_F(PrivateDir, PrefersTheSessionRuntimeDirectoryWhenItIsPrivate) {
    const fs::path runtime = base_ / "run";
    fs::create_directory(runtime);
    fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
    EXPECT_EQ(runtime / "belltower", *PrivateTempDirUnder(runtime, base_));

    fs::permissions(runtime, fs::perms::all, fs::perm_options::replace);  // writable by anyone: not used
    EXPECT_EQ(base_ / Own(), *PrivateTempDirUnder(runtime, base_));
    EXPECT_EQ(base_ / Own(), *PrivateTempDirUnder(base_ / "missing", base_));
}

TEST_F(PrivateDir, APlantedLinkOrOpenDirectoryIsNeverUsed) {
    // Another user got to the shared name first: a link to a folder of their choosing ...
    const fs::path victim = base_ / "victim";
    fs::create_directory(victim);
    fs::permissions(victim, fs::perms::owner_all, fs::perm_options::replace);
    fs::create_directory_symlink(victim, base_ / Own());
    const auto dir = PrivateTempDirUnder(std::nullopt, base_);
    ASSERT_TRUE(dir);
    EXPECT_NE(base_ / Own(), *dir);
    EXPECT_TRUE(IsPrivateDirectory(*dir));
    ASSERT_TRUE(RenderPreviewIn(*dir, testing::Hex("410A"), {}));
    EXPECT_TRUE(fs::is_empty(victim));
    EXPECT_TRUE(fs::is_symlink(base_ / Own()));

    // ... or a directory others may enter.
    fs::remove(base_ / Own());
    fs::create_directory(base_ / Own());
    fs::permissions(base_ / Own(),
                    fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                        fs::perms::others_exec,
                    fs::perm_options::replace);
    const auto fresh = PrivateTempDirUnder(std::nullopt, base_);
    ASSERT_TRUE(fresh);
    EXPECT_NE(base_ / Own(), *fresh);
    EXPECT_EQ(0700U, ModeOf(*fresh));
    EXPECT_EQ(0755U, ModeOf(base_ / Own()));
}

// Sets an environment variable (or removes it) for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST_F(PrivateDir, PreviewInASharedTemporaryFolderFollowsNoPlantedLink) {
    // Another user of the shared temporary folder planted links at every name a preview could
    // use there: the per-user directory and the two fixed file names.
    const fs::path victim = base_ / "victim";
    fs::create_directory(victim);
    const fs::path victimFile = base_ / "victim.txt";
    const formats::Bytes precious = testing::Hex("50 52 45 43 49 4F 55 53");
    ASSERT_TRUE(formats::WriteFileAtomic(victimFile, precious));
    fs::create_directory_symlink(victim, base_ / Own());
    fs::create_symlink(victimFile, base_ / kMelodyWavName);
    fs::create_symlink(victimFile, base_ / kMelodyReName);

    const ScopedEnv temporary("TMPDIR", base_.c_str());
    const ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
    const auto preview = RenderPreview(testing::Hex("0A01 410A"), {true, false, 0});
    ASSERT_TRUE(preview) << preview.error().message;
    EXPECT_EQ(*MelodyWavPath(), preview->path);
    const fs::path folder = preview->path.parent_path();
    EXPECT_EQ(folder, MelodyRePath()->parent_path());
    EXPECT_EQ(base_, folder.parent_path());
    EXPECT_NE(base_ / Own(), folder);
    EXPECT_TRUE(IsPrivateDirectory(folder));
    EXPECT_FALSE(fs::is_symlink(preview->path));
    EXPECT_BYTES_EQ(WriteWav(testing::Hex("0A01 410A"), false, false, 0).wav, *formats::ReadFileBytes(preview->path));

    EXPECT_TRUE(fs::is_empty(victim));
    EXPECT_BYTES_EQ(precious, *formats::ReadFileBytes(victimFile));
    EXPECT_TRUE(fs::is_symlink(base_ / Own()));
    EXPECT_TRUE(fs::is_symlink(base_ / kMelodyWavName));
}

}  // namespace
}  // namespace belltower::preview
