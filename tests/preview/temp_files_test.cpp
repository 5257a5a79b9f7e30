#include "preview/temp_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "formats/bytes.h"
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

}  // namespace
}  // namespace belltower::preview
