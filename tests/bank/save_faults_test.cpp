// Failed firmware saves and RE exports leave the file they would have replaced byte for byte.
#include <gtest/gtest.h>

#include "bank/firmware_reader.h"
#include "bank/firmware_writer.h"
#include "bank/re_exchange.h"
#include "formats/file_io.h"
#include "support/save_faults.h"
#include "test_banks.h"

namespace belltower::bank {
namespace {

using formats::TextFormat;

// A bank loaded from a generated image of about 64 KB, or the same melodies without firmware.
ToneBank Bank(bool firmwareLoaded) {
    testing::ImageLayout layout;
    layout.records = {Melody(TextFormat::Unicode, 1, "One"), Melody(TextFormat::Unicode, 2, "Two", "ID", 2)};
    layout.chunksAfter = {testing::MakeChunk("LOGO", formats::Bytes(40, 0x33))};
    layout.tail = formats::Bytes(100, 0x5A);
    ToneBank bank;
    (void)ApplyFirmwareImage(bank, *ReadFirmwareImage(testing::BuildImage(layout).image, "f"), false);
    if (!firmwareLoaded) {
        ToneBank bare;
        bare.UnicodeNames = bank.UnicodeNames;
        bare.Records = bank.Records;
        bare.Lines = bank.Lines;
        return bare;
    }
    return bank;
}

testing::SaveCall SaveFirmwareOf(ToneBank bank) {
    return [bank = std::move(bank)](const std::filesystem::path& path,
                                    const formats::WriteFault* fault) -> std::optional<formats::Error> {
        const auto saved = SaveFirmware(path, bank, fault);
        return saved ? std::nullopt : std::optional(saved.error());
    };
}

testing::SaveCall ExportOf(TextFormat chosen) {
    return
        [chosen](const std::filesystem::path& path, const formats::WriteFault* fault) -> std::optional<formats::Error> {
            const ToneBank bank = Bank(false);
            const auto exported = ExportReFile(path, bank.Records[1], bank.UnicodeNames, chosen, fault);
            return exported ? std::nullopt : std::optional(exported.error());
        };
}

TEST(FirmwareSave, FailedWritesLeaveTheTargetAsItWas) {
    for (const bool loaded : {true, false}) {
        SCOPED_TRACE(loaded ? "firmware image" : "bare TONE chunk");
        testing::ExpectFailedSavesLeaveTargets(SaveFirmwareOf(Bank(loaded)));
    }
}

TEST(ReExportSave, FailedWritesLeaveTheTargetAsItWas) {
    for (const TextFormat chosen : {TextFormat::Unicode, TextFormat::Ascii}) {
        SCOPED_TRACE(chosen == TextFormat::Ascii ? "converted to ASCII" : "as the bank holds it");
        testing::ExpectFailedSavesLeaveTargets(ExportOf(chosen));
    }
}

TEST(ReExportSave, WritesTheExportedBytesAndNothingWhenTheRecordIsRefused) {
    const auto dir = std::filesystem::temp_directory_path() / ("belltower-export-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const ToneBank bank = Bank(false);
    ASSERT_TRUE(ExportReFile(dir / "two.re", bank.Records[1], TextFormat::Unicode, TextFormat::Ascii));
    EXPECT_BYTES_EQ(*ExportRecord(bank.Records[1], TextFormat::Unicode, TextFormat::Ascii),
                    *formats::ReadFileBytes(dir / "two.re"));

    // A name the import would misread is refused before anything is written.
    const formats::Bytes tab = Melody(TextFormat::Unicode, 1, "\tTab");
    const auto refused = ExportReFile(dir / "two.re", tab, TextFormat::Unicode, TextFormat::Ascii);
    ASSERT_FALSE(refused);
    EXPECT_EQ(formats::ErrorCode::BadInput, refused.error().code);
    EXPECT_BYTES_EQ(*ExportRecord(bank.Records[1], TextFormat::Unicode, TextFormat::Ascii),
                    *formats::ReadFileBytes(dir / "two.re"));
    std::filesystem::remove_all(dir);
}

TEST(FirmwareSave, ReadOnlyFolderKeepsTheTarget) {
    if (!testing::PermissionBitsStopWrites()) {
        GTEST_SKIP() << "running as root: permission bits do not stop writes";
    }
    testing::ExpectReadOnlyFolderKeepsTarget(SaveFirmwareOf(Bank(true)));
    testing::ExpectReadOnlyFolderKeepsTarget(ExportOf(TextFormat::Ascii));
}

}  // namespace
}  // namespace belltower::bank
