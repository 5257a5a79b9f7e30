#include "formats/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

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

TEST(FolderOfPath, AcceptsBothSeparators) {
    EXPECT_EQ("/home/a/", FolderOfPath("/home/a/b.rtx"));
    EXPECT_EQ("C:\\tones\\", FolderOfPath("C:\\tones\\b.rtx"));
    EXPECT_EQ("", FolderOfPath("b.rtx"));
}

}  // namespace
}  // namespace belltower::formats
