// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/file_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <future>
#include <iterator>
#include <thread>
#include <utility>

#include "support/hex.h"
#include "support/scratch_dir.h"

namespace belltower::formats {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDir;

std::size_t Entries(const fs::path& dir) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {}));
}

// Every way a save can fail ends in an Io error with the folder as it was: the old file byte
// for byte, nothing new beside it. The folder holds "target" and "folder/kept".
TEST(WriteFileAtomic, FailedWritesLeaveTheFolderAsItWas) {
    const Bytes old = testing::Hex("01 02 03");
    const struct {
        std::size_t failAfter;  // of the 1000 bytes written; more: no fault
        const char* path;
        bool readOnly;  // the folder loses its write permission (which does not stop root)
    } cases[] = {
        {0, "target", false},    {500, "target", false}, {999, "target", false}, {5000, "target/inside", false},
        {5000, "folder", false}, {5000, "target", true}, {5000, "new", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " " + std::to_string(c.failAfter));
        const ScratchDir dir;
        ASSERT_TRUE(WriteFileAtomic(dir / "target", old));
        fs::create_directory(dir / "folder");
        ASSERT_TRUE(WriteFileAtomic(dir / "folder" / "kept", old));
        if (c.readOnly && ::geteuid() != 0) {
            fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
        } else if (c.readOnly) {
            continue;
        }
        const WriteFault fault{c.failAfter};
        const auto failed = WriteFileAtomic(dir / c.path, Bytes(1000, 0x55), &fault);
        ASSERT_FALSE(failed);
        EXPECT_EQ(ErrorCode::Io, failed.error().code);
        EXPECT_BYTES_EQ(old, *ReadFileBytes(dir / "target"));
        EXPECT_BYTES_EQ(old, *ReadFileBytes(dir / "folder" / "kept"));
        EXPECT_EQ(2u, Entries(dir.path()));
        EXPECT_EQ(1u, Entries(dir / "folder"));
    }
}

// What stands at the output stays what it is: a pipe is written into (and refused for an edit
// lock), a link keeps pointing at the file it names (which is replaced), a link to nothing is
// refused, and a replaced file keeps its mode (and, for root, its owner).
TEST(WriteFileAtomic, OutputsKeepWhatTheyAre) {
    const ScratchDir dir;
    const Bytes data = testing::Hex("52 45 00 01");
    ASSERT_EQ(0, ::mkfifo((dir / "fifo").c_str(), 0600));
    const int reader = ::open((dir / "fifo").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_TRUE(WriteFileAtomic(dir / "fifo", data));
    Bytes got(16);
    got.resize(static_cast<std::size_t>(std::max<ssize_t>(0, ::read(reader, got.data(), got.size()))));
    ::close(reader);
    EXPECT_BYTES_EQ(data, got);
    EXPECT_TRUE(fs::is_fifo(dir / "fifo"));
    // Opening the pipe for its lock would wait for a writer: an in-place edit refuses it at once.
    const auto lock = EditLock::Acquire(dir / "fifo", [] {});
    ASSERT_FALSE(lock);
    EXPECT_NE(lock.error().message.find("not a regular file"), std::string::npos) << lock.error().message;

    ASSERT_TRUE(WriteFileAtomic(dir / "real", Bytes{1}));
    fs::permissions(dir / "real", fs::perms::owner_read | fs::perms::group_read);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(0, ::chown((dir / "real").c_str(), 1, 1));
    }
    fs::create_symlink("real", dir / "link");
    ASSERT_TRUE(WriteFileAtomic(dir / "link", data));
    EXPECT_TRUE(fs::is_symlink(dir / "link"));
    EXPECT_BYTES_EQ(data, *ReadFileBytes(dir / "real"));
    struct stat info {};
    ASSERT_EQ(0, ::stat((dir / "real").c_str(), &info));
    EXPECT_EQ(0440u, info.st_mode & 07777);
    EXPECT_TRUE(!root || (info.st_uid == 1 && ResolveOutput(dir / "link")->readOnly));

    fs::create_symlink("nowhere", dir / "dangling");
    const auto dangling = WriteFileAtomic(dir / "dangling", data);
    ASSERT_FALSE(dangling);
    EXPECT_NE(std::string::npos, dangling.error().message.find("symbolic link to nowhere")) << dangling.error().message;

    // A legal name of 255 bytes leaves no room for a temporary name built from it.
    const std::string longName(255, 'n');
    ASSERT_TRUE(WriteFileAtomic(dir / longName, data));
    ASSERT_TRUE(WriteFileAtomic(dir / longName, Bytes{}));
    EXPECT_TRUE(ReadFileBytes(dir / longName)->empty());
    EXPECT_EQ(5u, Entries(dir.path()));  // fifo, real, link, dangling, the long name: no temporary file
}

TEST(ReadFileBytes, RefusesInputsOverTheirLimitBeforeReadingThemWhole) {
    const ScratchDir dir;
    ASSERT_TRUE(WriteFileAtomic(dir / "f", Bytes(2000, 0x41)));
    EXPECT_EQ(Bytes(2000, 0x41), *ReadFileBytes(dir / "f", 2000));
    EXPECT_EQ(2000u, MappedFile::Open(dir / "f", 2000)->View().size());
    EXPECT_EQ(ErrorCode::Limit, MappedFile::Open(dir / "f", 1999).error().code);
    ASSERT_TRUE(WriteFileAtomic(dir / "empty", Bytes{}));
    EXPECT_TRUE(MappedFile::Open(dir / "empty", 2000)->View().empty());
    EXPECT_EQ(ErrorCode::Io, ReadFileBytes(dir / "missing").error().code);
    for (const auto& [path, limit] : {std::pair{dir / "f", 1999}, std::pair{fs::path("/dev/zero"), 100000}}) {
        const auto read = ReadFileBytes(path, static_cast<std::size_t>(limit), " (test)");
        ASSERT_FALSE(read) << path;
        EXPECT_EQ(ErrorCode::Limit, read.error().code);
        EXPECT_EQ(path.string() + ": the file is larger than " + std::to_string(limit) + " bytes (test)",
                  read.error().message);
    }
}

TEST(FileBatch, PutsItsFilesInPlaceOnlyOnCommit) {
    const ScratchDir dir;
    ASSERT_TRUE(WriteFileAtomic(dir / "a", Bytes{1}));
    {
        FileBatch abandoned;
        ASSERT_TRUE(abandoned.Add(dir / "a", Bytes{2}));
        ASSERT_TRUE(abandoned.Add(dir / "b", Bytes{2}));
        EXPECT_EQ(1u + 2u, Entries(dir.path()));  // a and two temporary files
    }
    EXPECT_EQ(1u, Entries(dir.path()));  // abandoned: the temporary files are gone, a as it was
    EXPECT_BYTES_EQ(Bytes{1}, *ReadFileBytes(dir / "a"));

    FileBatch batch;
    ASSERT_TRUE(batch.Add(dir / "a", Bytes{3}));
    EXPECT_FALSE(batch.Add(dir / "missing" / "c", Bytes{3}));
    ASSERT_TRUE(batch.Add(dir / "b", Bytes{4}));
    ASSERT_TRUE(batch.Commit());
    EXPECT_EQ(2u, batch.Committed());
    EXPECT_BYTES_EQ(Bytes{3}, *ReadFileBytes(dir / "a"));
    EXPECT_BYTES_EQ(Bytes{4}, *ReadFileBytes(dir / "b"));
    EXPECT_EQ(2u, Entries(dir.path()));
}

// A save cut short by a signal leaves no temporary file (checked in a child the signal ends).
TEST(FileBatch, InterruptedSavesLeaveNoTemporaryFile) {
    const ScratchDir dir;
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::signal(signalNumber, SIG_DFL);  // as a terminal starts a program, even in a background test run
            RemoveTemporariesOnSignals();
            FileBatch batch;
            (void)batch.Add(dir / "a", Bytes(1000, 1));
            ::raise(signalNumber);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(child, ::waitpid(child, &status, 0));
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber) << signalNumber;
        EXPECT_EQ(0u, Entries(dir.path())) << signalNumber;
    }
}

// A second editor waits for the first, and then holds the file the first saved, not the one it replaced.
TEST(EditLock, WaitsForTheEditorBefore) {
    const ScratchDir dir;
    ASSERT_TRUE(WriteFileAtomic(dir / "image", Bytes{1}));
    auto first = EditLock::Acquire(dir / "image", [] {});
    ASSERT_TRUE(first);
    std::atomic<bool> waiting = false;
    auto second =
        std::async(std::launch::async, [&] { return EditLock::Acquire(dir / "image", [&] { waiting = true; }); });
    for (int i = 0; i < 400 && !waiting; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(waiting);
    EXPECT_EQ(std::future_status::timeout, second.wait_for(std::chrono::milliseconds(20)));
    ASSERT_TRUE(WriteFileAtomic(dir / "image", Bytes{2}));  // the first editor saves
    { [[maybe_unused]] const EditLock released = std::move(*first); }
    const auto held = second.get();
    ASSERT_TRUE(held);
    const int fd = ::open((dir / "image").c_str(), O_RDONLY);
    EXPECT_NE(0, ::flock(fd, LOCK_EX | LOCK_NB));  // the saved file is the one held
    ::close(fd);
}

TEST(FolderOfPath, AcceptsBothSeparators) {
    EXPECT_EQ("/home/a/", FolderOfPath("/home/a/b.rtx"));
    EXPECT_EQ("C:\\tones\\", FolderOfPath("C:\\tones\\b.rtx"));
    EXPECT_EQ("", FolderOfPath("b.rtx"));
}

}  // namespace
}  // namespace belltower::formats
