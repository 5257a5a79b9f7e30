// SPDX-License-Identifier: GPL-3.0-or-later
// Firmware saves and RE exports: what they write, and that a failed write reaches them and
// leaves the file they would have replaced byte for byte.
#include <gtest/gtest.h>

#include "bank/firmware_writer.h"
#include "bank/re_exchange.h"
#include "formats/file_io.h"
#include "support/save_faults.h"
#include "support/scratch_dir.h"
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

TEST(SaveFaults, AFailedWriteLeavesTheTargetAsItWas) {
    testing::ExpectFaultKeepsTarget(
        [bank = Loaded()](const std::filesystem::path& path, const formats::WriteFault* fault) {
            return ErrorOf(SaveFirmware(path, bank, fault));
        });
    testing::ExpectFaultKeepsTarget([](const std::filesystem::path& path, const formats::WriteFault* fault) {
        return ErrorOf(ExportReFile(path, Melody(TextFormat::Unicode, 2, "Two", "ID", 2), TextFormat::Unicode,
                                    TextFormat::Ascii, fault));
    });
}

TEST(SaveFaults, SavesWriteTheirBytesAndARefusedExportWritesNothing) {
    const testing::ScratchDir dir;
    const ToneBank bank = Loaded();
    ASSERT_TRUE(SaveFirmware(dir / "phone.fls", bank));
    EXPECT_BYTES_EQ(BuildFirmwareImage(bank), *formats::ReadFileBytes(dir / "phone.fls"));

    const auto file = dir / "two.re";
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
