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
#include <iterator>
#include <thread>

#include "support/hex.h"

namespace belltower::formats {
namespace {

namespace fs = std::filesystem;

class FileIo : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("belltower-fileio-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        fs::permissions(dir_, fs::perms::owner_all);
        fs::remove_all(dir_);
    }
    fs::path dir_;
};

TEST_F(FileIo, WritesAndReadsWholeFiles) {
    const Bytes data = testing::Hex("00 01 FF 7F 80");
    ASSERT_TRUE(WriteFileAtomic(dir_ / "a.re", data));
    EXPECT_BYTES_EQ(data, *ReadFileBytes(dir_ / "a.re"));
    ASSERT_TRUE(WriteFileAtomic(dir_ / "a.re", Bytes{}));
    EXPECT_TRUE(ReadFileBytes(dir_ / "a.re")->empty());
    EXPECT_EQ(ErrorCode::Io, ReadFileBytes(dir_ / "missing").error().code);
}

TEST_F(FileIo, FailedWritesLeaveTheTargetAsItWas) {
    const Bytes old = testing::Hex("01 02 03");
    const Bytes next(100000, 0x55);
    ASSERT_TRUE(WriteFileAtomic(dir_ / "t.fls", old));

    const WriteFault partWay{40000};
    const auto failed = WriteFileAtomic(dir_ / "t.fls", next, &partWay);
    ASSERT_FALSE(failed);
    EXPECT_EQ(ErrorCode::Io, failed.error().code);
    EXPECT_BYTES_EQ(old, *ReadFileBytes(dir_ / "t.fls"));

    fs::create_directory(dir_ / "folder");
    EXPECT_FALSE(WriteFileAtomic(dir_ / "folder", next));

    if (::geteuid() != 0) {  // root writes anywhere
        fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(WriteFileAtomic(dir_ / "t.fls", next));
        fs::permissions(dir_, fs::perms::owner_all);
    }
    EXPECT_BYTES_EQ(old, *ReadFileBytes(dir_ / "t.fls"));
    // No temporary file is left behind.
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir_)) {
        ++entries;
    }
    EXPECT_EQ(2u, entries);
}

std::size_t Entries(const fs::path& dir) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {}));
}

// What stands at the output stays what it is: a pipe is written into, a link keeps pointing at
// the file it names (which is replaced), a link to nothing is refused, and a replaced file
// keeps its mode (and, for root, its owner).
TEST_F(FileIo, OutputsKeepWhatTheyAre) {
    const Bytes data = testing::Hex("52 45 00 01");
    ASSERT_EQ(0, ::mkfifo((dir_ / "fifo").c_str(), 0600));
    const int reader = ::open((dir_ / "fifo").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_TRUE(WriteFileAtomic(dir_ / "fifo", data));
    Bytes got(16);
    got.resize(static_cast<std::size_t>(std::max<ssize_t>(0, ::read(reader, got.data(), got.size()))));
    ::close(reader);
    EXPECT_BYTES_EQ(data, got);
    EXPECT_TRUE(fs::is_fifo(dir_ / "fifo"));

    ASSERT_TRUE(WriteFileAtomic(dir_ / "real", Bytes{1}));
    fs::permissions(dir_ / "real", fs::perms::owner_read | fs::perms::group_read);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(0, ::chown((dir_ / "real").c_str(), 1, 1));
    }
    fs::create_symlink("real", dir_ / "link");
    ASSERT_TRUE(WriteFileAtomic(dir_ / "link", data));
    EXPECT_TRUE(fs::is_symlink(dir_ / "link"));
    EXPECT_BYTES_EQ(data, *ReadFileBytes(dir_ / "real"));
    struct stat info {};
    ASSERT_EQ(0, ::stat((dir_ / "real").c_str(), &info));
    EXPECT_EQ(0440u, info.st_mode & 07777);
    if (root) {
        EXPECT_EQ(1u, info.st_uid);
    }
    EXPECT_TRUE(ResolveOutput(dir_ / "link")->readOnly || !root);

    fs::create_symlink("nowhere", dir_ / "dangling");
    const auto dangling = WriteFileAtomic(dir_ / "dangling", data);
    ASSERT_FALSE(dangling);
    EXPECT_NE(std::string::npos, dangling.error().message.find("symbolic link to nowhere")) << dangling.error().message;

    // A legal name of 255 bytes leaves no room for a temporary name built from it.
    const std::string longName(255, 'n');
    ASSERT_TRUE(WriteFileAtomic(dir_ / longName, data));
    ASSERT_TRUE(WriteFileAtomic(dir_ / longName, Bytes{}));
    EXPECT_TRUE(ReadFileBytes(dir_ / longName)->empty());
    EXPECT_EQ(5u, Entries(dir_));  // fifo, real, link, dangling, the long name: no temporary file
}

TEST_F(FileIo, RefusesInputsOverTheirLimitBeforeReadingThemWhole) {
    ASSERT_TRUE(WriteFileAtomic(dir_ / "f", Bytes(2000, 0x41)));
    const struct {
        fs::path path;
        std::size_t limit;
        bool refused;
    } cases[] = {{dir_ / "f", 2000, false}, {dir_ / "f", 1999, true}, {"/dev/zero", 100000, true}};
    for (const auto& c : cases) {
        const auto read = ReadFileBytes(c.path, c.limit, " (test)");
        ASSERT_EQ(c.refused, !read) << c.path << ' ' << c.limit;
        if (c.refused) {
            EXPECT_EQ(ErrorCode::Limit, read.error().code);
            EXPECT_EQ(c.path.string() + ": the file is larger than " + std::to_string(c.limit) + " bytes (test)",
                      read.error().message);
        }
    }
}

TEST_F(FileIo, ABatchPutsItsFilesInPlaceOnlyOnCommit) {
    ASSERT_TRUE(WriteFileAtomic(dir_ / "a", Bytes{1}));
    {
        FileBatch abandoned;
        ASSERT_TRUE(abandoned.Add(dir_ / "a", Bytes{2}));
        ASSERT_TRUE(abandoned.Add(dir_ / "b", Bytes{2}));
        EXPECT_EQ(1u + 2u, Entries(dir_));  // a and two temporary files
    }
    EXPECT_EQ(1u, Entries(dir_));  // abandoned: the temporary files are gone, a as it was
    EXPECT_BYTES_EQ(Bytes{1}, *ReadFileBytes(dir_ / "a"));

    FileBatch batch;
    ASSERT_TRUE(batch.Add(dir_ / "a", Bytes{3}));
    EXPECT_FALSE(batch.Add(dir_ / "missing" / "c", Bytes{3}));
    ASSERT_TRUE(batch.Add(dir_ / "b", Bytes{4}));
    ASSERT_TRUE(batch.Commit());
    EXPECT_EQ(2u, batch.Committed());
    EXPECT_BYTES_EQ(Bytes{3}, *ReadFileBytes(dir_ / "a"));
    EXPECT_BYTES_EQ(Bytes{4}, *ReadFileBytes(dir_ / "b"));
    EXPECT_EQ(2u, Entries(dir_));
}

// A save cut short by a signal leaves no temporary file (checked in a child the signal ends).
TEST_F(FileIo, InterruptedSavesLeaveNoTemporaryFile) {
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            RemoveTemporariesOnSignals();
            FileBatch batch;
            (void)batch.Add(dir_ / "a", Bytes(1000, 1));
            ::raise(signalNumber);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(child, ::waitpid(child, &status, 0));
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber) << signalNumber;
        EXPECT_EQ(0u, Entries(dir_)) << signalNumber;
    }
}

// A second editor waits for the first, and then holds the file the first saved, not the one it
// replaced.
TEST_F(FileIo, EditLockWaitsForTheEditorBefore) {
    ASSERT_TRUE(WriteFileAtomic(dir_ / "image", Bytes{1}));
    auto first = EditLock::Acquire(dir_ / "image", [] {});
    ASSERT_TRUE(first);
    std::atomic<bool> waiting = false;
    std::atomic<bool> locked = false;
    std::thread second([&] {
        auto lock = EditLock::Acquire(dir_ / "image", [&] { waiting = true; });
        locked = lock.has_value();
        while (locked) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    for (int i = 0; i < 400 && !waiting; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(waiting);
    EXPECT_FALSE(locked);
    ASSERT_TRUE(WriteFileAtomic(dir_ / "image", Bytes{2}));  // the first editor saves
    { [[maybe_unused]] const EditLock released = std::move(*first); }
    for (int i = 0; i < 400 && !locked; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(locked);
    const int fd = ::open((dir_ / "image").c_str(), O_RDONLY);
    EXPECT_NE(0, ::flock(fd, LOCK_EX | LOCK_NB));  // the saved file is the one held
    ::close(fd);
    locked = false;
    second.join();
}

TEST(FolderOfPath, AcceptsBothSeparators) {
    EXPECT_EQ("/home/a/", FolderOfPath("/home/a/b.rtx"));
    EXPECT_EQ("C:\\tones\\", FolderOfPath("C:\\tones\\b.rtx"));
    EXPECT_EQ("", FolderOfPath("b.rtx"));
}

}  // namespace
}  // namespace belltower::formats
