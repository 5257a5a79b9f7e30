// Firmware saves and RE exports: failed writes leave the file they would have replaced byte for byte.
#include <gtest/gtest.h>

#include "bank/firmware_writer.h"
#include "bank/re_exchange.h"
#include "formats/file_io.h"
#include "support/save_faults.h"
#include "test_banks.h"

namespace belltower::bank {
namespace {

ToneBank Loaded() {
    return LoadedBank({.records = {Melody(TextFormat::Unicode, 1, "One"), Melody(TextFormat::Unicode, 2, "Two")},
                       .chunksAfter = {testing::MakeChunk("LOGO", Bytes(40, 0x33))},
                       .tail = Bytes(100, 0x5A)});
}

std::optional<formats::Error> ErrorOf(const formats::Result<void>& result) {
    return result ? std::nullopt : std::optional(result.error());
}

testing::SaveCall SaveOf(ToneBank bank) {
    return [bank = std::move(bank)](const std::filesystem::path& path, const formats::WriteFault* fault) {
        return ErrorOf(SaveFirmware(path, bank, fault));
    };
}

testing::SaveCall ExportOf(TextFormat chosen) {
    return [chosen](const std::filesystem::path& path, const formats::WriteFault* fault) {
        return ErrorOf(
            ExportReFile(path, Melody(TextFormat::Unicode, 2, "Two", "ID", 2), TextFormat::Unicode, chosen, fault));
    };
}

TEST(SaveFaults, FailedWritesLeaveTheTargetAsItWas) {
    const testing::SaveCall saves[] = {SaveOf(Loaded()), SaveOf(MakeBank(2)), ExportOf(TextFormat::Unicode),
                                       ExportOf(TextFormat::Ascii)};
    for (std::size_t i = 0; i < std::size(saves); ++i) {
        SCOPED_TRACE(i);
        testing::ExpectFailedSavesLeaveTargets(saves[i]);
    }
}

TEST(SaveFaults, ReadOnlyFolderKeepsTheTarget) {
    if (!testing::PermissionBitsStopWrites()) {
        GTEST_SKIP() << "running as root: permission bits do not stop writes";
    }
    testing::ExpectReadOnlyFolderKeepsTarget(SaveOf(Loaded()));
    testing::ExpectReadOnlyFolderKeepsTarget(ExportOf(TextFormat::Ascii));
}

TEST(SaveFaults, SavesWriteTheirBytesAndARefusedExportWritesNothing) {
    const ScratchDir dir;
    const ToneBank bank = Loaded();
    ASSERT_TRUE(SaveFirmware(dir.path / "phone.fls", bank));
    EXPECT_BYTES_EQ(BuildFirmwareImage(bank), *formats::ReadFileBytes(dir.path / "phone.fls"));

    const auto file = dir.path / "two.re";
    ASSERT_TRUE(
        ExportReFile(file, Melody(TextFormat::Unicode, 2, "Two", "ID", 2), TextFormat::Unicode, TextFormat::Ascii));
    const Bytes asciiTwo = Melody(TextFormat::Ascii, 2, "Two", "ID");  // the purpose goes
    EXPECT_BYTES_EQ(asciiTwo, *formats::ReadFileBytes(file));
    // A name the import would misread is refused before anything is written.
    const auto refused =
        ExportReFile(file, Melody(TextFormat::Unicode, 1, "\tTab"), TextFormat::Unicode, TextFormat::Ascii);
    ASSERT_FALSE(refused);
    EXPECT_EQ(ErrorCode::BadInput, refused.error().code);
    EXPECT_BYTES_EQ(asciiTwo, *formats::ReadFileBytes(file));
}

}  // namespace
}  // namespace belltower::bank
