#include "support/save_faults.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <string>

#include "support/hex.h"

namespace belltower::testing {
namespace {

namespace fs = std::filesystem;

// Everything under a folder: each entry's relative path, with a file's bytes or a mark for a
// directory or a link.
using Snapshot = std::map<std::string, formats::Bytes>;

Snapshot Take(const fs::path& root) {
    Snapshot snapshot;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = fs::relative(entry.path(), root).string();
        if (entry.is_symlink()) {
            snapshot[name] = formats::ToBytes("<link to " + fs::read_symlink(entry.path()).string() + ">");
        } else if (entry.is_directory()) {
            snapshot[name] = formats::ToBytes("<directory>");
        } else {
            const auto bytes = formats::ReadFileBytes(entry.path());
            snapshot[name] = bytes ? *bytes : formats::ToBytes("<unreadable>");
        }
    }
    return snapshot;
}

class Scratch {
public:
    Scratch() {
        static int count = 0;
        root_ = fs::temp_directory_path() /
                ("belltower-savefault-" + std::to_string(::getpid()) + "-" + std::to_string(++count));
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    ~Scratch() {
        std::error_code ec;
        for (const auto& entry : fs::recursive_directory_iterator(root_, ec)) {
            if (entry.is_directory() && !entry.is_symlink()) {
                fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
            }
        }
        fs::remove_all(root_, ec);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    const fs::path& Root() const { return root_; }

private:
    fs::path root_;
};

void PutFile(const fs::path& path, const formats::Bytes& bytes) {
    ASSERT_TRUE(formats::WriteFileAtomic(path, bytes)) << path;
}

// The save into `path` fails with an Io error and the scratch folder stays as it was.
void ExpectFailsAndKeeps(const SaveCall& save, const Scratch& scratch, const fs::path& path,
                         const formats::WriteFault* fault) {
    const Snapshot before = Take(scratch.Root());
    const auto failure = save(path, fault);
    ASSERT_TRUE(failure.has_value()) << "the save reported success";
    EXPECT_EQ(formats::ErrorCode::Io, failure->code) << failure->message;
    EXPECT_FALSE(failure->message.empty());
    const Snapshot after = Take(scratch.Root());
    EXPECT_EQ(before.size(), after.size()) << "an entry appeared or vanished";
    for (const auto& [name, bytes] : before) {
        const auto found = after.find(name);
        ASSERT_NE(found, after.end()) << name << " vanished";
        EXPECT_BYTES_EQ(bytes, found->second) << name;
    }
}

const formats::Bytes kOldContent = Hex("4F 4C 44 00 FF 01 02 03 04 05 06 07");

}  // namespace

void ExpectFailedSavesLeaveTargets(const SaveCall& save) {
    Scratch scratch;
    const fs::path fresh = scratch.Root() / "fresh";
    const auto success = save(fresh, nullptr);
    ASSERT_FALSE(success.has_value()) << "the save fails even in a writable folder: " << success->message;
    const auto written = formats::ReadFileBytes(fresh);
    ASSERT_TRUE(written);
    const std::size_t size = written->size();
    ASSERT_GT(size, 0u);

    const fs::path target = scratch.Root() / "target";
    PutFile(target, kOldContent);
    for (const std::size_t failAfter : {std::size_t{0}, size / 2, size - 1}) {
        SCOPED_TRACE("write failing after " + std::to_string(failAfter) + " of " + std::to_string(size) + " bytes");
        const formats::WriteFault fault{failAfter};
        ExpectFailsAndKeeps(save, scratch, target, &fault);
    }
    {
        SCOPED_TRACE("parent is a regular file");
        ExpectFailsAndKeeps(save, scratch, target / "inside", nullptr);
    }
    {
        SCOPED_TRACE("path is a directory");
        fs::create_directory(scratch.Root() / "folder");
        PutFile(scratch.Root() / "folder" / "kept", kOldContent);
        ExpectFailsAndKeeps(save, scratch, scratch.Root() / "folder", nullptr);
    }
}

void ExpectReadOnlyFolderKeepsTarget(const SaveCall& save) {
    Scratch scratch;
    const fs::path folder = scratch.Root() / "read-only";
    fs::create_directory(folder);
    PutFile(folder / "target", kOldContent);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
    ExpectFailsAndKeeps(save, scratch, folder / "target", nullptr);
    ExpectFailsAndKeeps(save, scratch, folder / "new", nullptr);
}

bool PermissionBitsStopWrites() {
    return ::geteuid() != 0;
}

}  // namespace belltower::testing
