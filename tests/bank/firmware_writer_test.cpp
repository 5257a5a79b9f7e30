#include "bank/firmware_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "bank/firmware_reader.h"
#include "bank/list_operations.h"
#include "formats/file_io.h"
#include "test_banks.h"

namespace belltower::bank {
namespace {

using formats::Bytes;
using formats::ByteView;
using formats::TextFormat;
using testing::Hex;

TEST(ChunkChecksum, SumsBigEndianWordsAndDropsALoneTail) {
    const struct {
        const char* data;
        const char* sum;
    } cases[] = {
        {"00 00 00 01 00 00 00 02", "00 00 00 03"},
        {"FF FF FF FF 00 00 00 01", "00 00 00 00"}, // the carry out of the top byte is dropped
        {"00 00 01 00 FF", "00 00 01 00"},          // the lone last byte does not count
        {"00 00 00 FF 00 00 00 01", "00 00 01 00"}, // carries between bytes
        {"", "00 00 00 00"},
    };
    for (const auto& c : cases) {
        EXPECT_BYTES_EQ(Hex(c.sum), ChunkChecksum(Hex(c.data))) << c.data;
    }
}

TEST(ToneChunk, AnEmptyBankIsTheEndRecordAlone) {
    EXPECT_BYTES_EQ(Hex("34 24 2E EC"                                       // checksum of the rest
                        "00 00 00 24"                                       // length 36
                        "54 4F 4E 45 76 65 72 73 69 6F 6E 00"               // "TONEversion" 00
                        "00 00 00 00 00 00 00 10 00 00 00 00 00 00 00 00"), // end record
                    BuildToneChunk({}));
}

TEST(ToneChunk, MatchesTheImageLayout) {
    const std::vector<Bytes> records = {Melody(TextFormat::Unicode, 1, "A"), Melody(TextFormat::Unicode, 2, "Bc")};
    EXPECT_BYTES_EQ(testing::MakeToneChunk(records), BuildToneChunk(records));
    EXPECT_EQ(36u + records[0].size() + records[1].size(), ToneChunkLength(records));
}

// A loaded bank of four melodies, the second 48 bytes long, with tail bytes `tail`.
ToneBank LoadedBank(Bytes tail) {
    testing::ImageLayout layout;
    layout.records = {Melody(TextFormat::Ascii, 1, "One"), Melody(TextFormat::Ascii, 2, std::string(14, 'L')),
                      Melody(TextFormat::Ascii, 3, "Three"), Melody(TextFormat::Ascii, 4, "Four")};
    layout.chunksAfter = {testing::MakeChunk("LOGO", Bytes(8, 0x33))};
    layout.tail = std::move(tail);
    ToneBank bank;
    (void)ApplyFirmwareImage(bank, *ReadFirmwareImage(testing::BuildImage(layout).image, "f"), false);
    return bank;
}

TEST(FirmwareImage, AShrinkingChainLeavesErasedBytesBeforeTheOldChainEnd) {
    ToneBank bank = LoadedBank(Bytes(200, 0x5A));
    const Bytes before = BuildFirmwareImage(bank);
    ASSERT_EQ(48u, bank.Records[1].size());
    bank.Records.erase(bank.Records.begin() + 1);
    bank.Lines.erase(bank.Lines.begin() + 1);
    const Bytes after = BuildFirmwareImage(bank);
    ASSERT_EQ(before.size(), after.size());
    const std::size_t end = bank.ChainEnd;
    EXPECT_BYTES_EQ(Bytes(48, 0xFF), ByteView(after).subspan(end - 48, 48));
    EXPECT_BYTES_EQ(ByteView(before).subspan(end), ByteView(after).subspan(end));
    // The middle moved up with the chunk.
    EXPECT_BYTES_EQ(bank.FirmwareMiddle,
                    ByteView(after).subspan(end - 48 - bank.FirmwareMiddle.size(), bank.FirmwareMiddle.size()));
    EXPECT_EQ(48u, FitChain(bank).freed);
}

TEST(FirmwareImage, AGrowingChainCoversTheStartOfTheTail) {
    ToneBank bank = LoadedBank(Bytes(200, 0xFF));
    const Bytes before = BuildFirmwareImage(bank);
    const Bytes extra = Melody(TextFormat::Ascii, 9, std::string(30, 'x')); // 64 bytes
    ASSERT_EQ(64u, extra.size());
    bank.Records.push_back(extra);
    bank.Lines.emplace_back(30, 'x');
    const Bytes after = BuildFirmwareImage(bank);
    ASSERT_EQ(before.size(), after.size());
    const std::size_t newEnd = bank.ChainEnd + 64;
    EXPECT_BYTES_EQ(ByteView(before).subspan(newEnd), ByteView(after).subspan(newEnd));
    EXPECT_BYTES_EQ(bank.FirmwareMiddle,
                    ByteView(after).subspan(newEnd - bank.FirmwareMiddle.size(), bank.FirmwareMiddle.size()));
    // Erased flash is covered without a question.
    EXPECT_TRUE(SaveWarnings(bank).empty());
}

TEST(FirmwareImage, WithoutFirmwareTheFileIsTheChunkAlone) {
    ToneBank bank = MakeBank(2);
    EXPECT_BYTES_EQ(BuildToneChunk(bank.Records), BuildFirmwareImage(bank));
    const auto warnings = SaveWarnings(bank);
    ASSERT_EQ(1u, warnings.size());
    EXPECT_EQ(
        SaveWarning({std::string(kNoFirmwareLoaded), WarningIcon::Exclamation, WarningButtons::Ok, CancelEffect::None}),
        warnings[0]);
}

TEST(SaveWarnings, WarnAboutManyMelodiesOnlyInAsciiBanks) {
    const struct {
        std::size_t count;
        TextFormat format;
        bool warned;
    } cases[] = {{66, TextFormat::Ascii, true}, {65, TextFormat::Ascii, false}, {66, TextFormat::Unicode, false}};
    for (const auto& c : cases) {
        ToneBank bank = MakeBank(c.count, c.format);
        Reindex(bank);
        const auto warnings = SaveWarnings(bank);
        ASSERT_EQ(c.warned ? 2u : 1u, warnings.size()) << c.count; // and the one about the missing firmware
        if (c.warned) {
            EXPECT_EQ(
                SaveWarning({std::string(kTooManyMelodies), WarningIcon::None, WarningButtons::Ok, CancelEffect::None}),
                warnings[0]);
        }
    }
}

TEST(CheckUniqueIndexes, OneQuestionPerPairSharingAnIndex) {
    ToneBank bank = MakeBank(6);
    Reindex(bank);
    bank.Records[1][3] = 7; // second line
    bank.Records[4][3] = 7; // fifth line
    auto warnings = CheckUniqueIndexes(bank);
    ASSERT_EQ(1u, warnings.size());
    EXPECT_EQ("M4 has the same index 7 as M1. Please correct it.", warnings[0].text);
    EXPECT_EQ(WarningButtons::OkCancel, warnings[0].buttons);
    EXPECT_EQ(WarningIcon::Exclamation, warnings[0].icon);

    bank.Records[5][3] = 7;
    warnings = CheckUniqueIndexes(bank);
    ASSERT_EQ(3u, warnings.size()); // (1,4), (1,5), (4,5)
    EXPECT_EQ("M5 has the same index 7 as M4. Please correct it.", warnings[2].text);
    EXPECT_TRUE(CheckUniqueIndexes(MakeBank(1)).empty());
}

TEST(SaveWarnings, CancelEndsTheIndexCheckButNotTheSave) {
    ToneBank bank = MakeBank(4);
    for (auto& record : bank.Records) {
        record[3] = 1; // all share index 1: six questions
    }
    std::vector<std::string> asked;
    const bool save = ConfirmSave(SaveWarnings(bank), [&](const SaveWarning& w) {
        asked.push_back(w.text);
        return w.cancelEffect != CancelEffect::EndIndexCheck; // OK to everything but the index check
    });
    EXPECT_TRUE(save);
    ASSERT_EQ(2u, asked.size());
    EXPECT_EQ(kNoFirmwareLoaded, asked[0]);
    EXPECT_EQ("M1 has the same index 1 as M0. Please correct it.", asked[1]);
}

TEST(SaveWarnings, AskBeforeOverwritingDataOrGrowingTheImage) {
    const struct {
        std::size_t tailSize;
        std::uint8_t tailByte;
        std::string expected; // empty: no question
    } cases[] = {
        {200, 0xFF, ""},
        {200, 0x00,
         "The melodies need 64 bytes more than the TONE chunk of the loaded image had. Saving overwrites 64 bytes "
         "behind the chunk chain, 64 of which hold data (not 0xFF). Such an image may not work in the phone. Save "
         "anyway?"},
        {0, 0xFF, // a whole block of 0xFF still lies behind this small chain
         ""},
    };
    for (const auto& c : cases) {
        ToneBank bank = LoadedBank(Bytes(c.tailSize, c.tailByte));
        bank.Records.push_back(Melody(TextFormat::Ascii, 9, std::string(30, 'x')));
        bank.Lines.emplace_back(30, 'x');
        const auto warnings = SaveWarnings(bank);
        if (c.expected.empty()) {
            EXPECT_TRUE(warnings.empty());
            continue;
        }
        ASSERT_EQ(1u, warnings.size());
        EXPECT_EQ(c.expected, warnings[0].text);
        EXPECT_EQ(CancelEffect::AbortSave, warnings[0].cancelEffect);
        EXPECT_FALSE(ConfirmSave(warnings, [](const SaveWarning&) { return false; }));
    }

    // A chain growing past the end of the image makes it longer.
    ToneBank bank = LoadedBank({});
    bank.FirmwareTail.resize(10, 0xFF);
    bank.Records.push_back(Melody(TextFormat::Ascii, 9, std::string(30, 'x')));
    bank.Lines.emplace_back(30, 'x');
    const auto fit = FitChain(bank);
    EXPECT_EQ(10u, fit.overwritten);
    EXPECT_EQ(54u, fit.grownBy);
    const auto warnings = SaveWarnings(bank);
    ASSERT_EQ(1u, warnings.size());
    EXPECT_NE(std::string::npos, warnings[0].text.find("The saved image will be 54 bytes longer")) << warnings[0].text;
    EXPECT_EQ(bank.ChainEnd + 64, BuildFirmwareImage(bank).size());
}

TEST(SaveFirmware, AFailedSaveLeavesTheTargetAsItWas) {
    const auto dir = std::filesystem::temp_directory_path() / ("belltower-save-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto target = dir / "phone.fls";
    const ToneBank bank = LoadedBank(Bytes(100, 0xFF));
    const Bytes old = Hex("01 02 03 04 05");
    ASSERT_TRUE(formats::WriteFileAtomic(target, old));

    const formats::WriteFault fault{1000};
    const auto failed = SaveFirmware(target, bank, &fault);
    ASSERT_FALSE(failed);
    EXPECT_EQ(formats::ErrorCode::Io, failed.error().code);
    EXPECT_BYTES_EQ(old, *formats::ReadFileBytes(target));

    ASSERT_TRUE(SaveFirmware(target, bank));
    EXPECT_BYTES_EQ(BuildFirmwareImage(bank), *formats::ReadFileBytes(target));
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace belltower::bank
