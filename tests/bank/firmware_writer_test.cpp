#include "bank/firmware_writer.h"

#include <gtest/gtest.h>

#include "bank/list_operations.h"
#include "test_banks.h"

namespace belltower::bank {
namespace {

TEST(ChunkChecksum, SumsBigEndianWordsAndDropsALoneTail) {
    const std::pair<const char*, const char*> cases[] = {
        {"00 00 00 01 00 00 00 02", "00 00 00 03"},
        {"FF FF FF FF 00 00 00 01", "00 00 00 00"},  // the carry out of the top byte is dropped
        {"00 00 01 00 FF", "00 00 01 00"},           // the lone last byte does not count
        {"00 00 00 FF 00 00 00 01", "00 00 01 00"},  // carries between bytes
        {"", "00 00 00 00"},
    };
    for (const auto& [data, sum] : cases) {
        EXPECT_BYTES_EQ(Hex(sum), ChunkChecksum(Hex(data))) << data;
    }
}

TEST(ToneChunk, AnEmptyBankIsTheEndRecordAlone) {
    EXPECT_BYTES_EQ(Hex("34 24 2E EC"                                        // checksum of the rest
                        "00 00 00 24"                                        // length 36
                        "54 4F 4E 45 76 65 72 73 69 6F 6E 00"                // "TONEversion" 00
                        "00 00 00 00 00 00 00 10 00 00 00 00 00 00 00 00"),  // end record
                    BuildToneChunk({}));
}

// A loaded bank of four melodies, the second 48 bytes long, with tail bytes `tail`.
ToneBank FourMelodies(Bytes tail) {
    return LoadedBank(
        {.records = {Melody(TextFormat::Ascii, 1, "One"), Melody(TextFormat::Ascii, 2, std::string(14, 'L')),
                     Melody(TextFormat::Ascii, 3, "Three"), Melody(TextFormat::Ascii, 4, "Four")},
         .chunksAfter = {testing::MakeChunk("LOGO", Bytes(8, 0x33))},
         .tail = std::move(tail)});
}

void AddSixtyFourBytes(ToneBank& bank) {
    bank.Records.push_back(Melody(TextFormat::Ascii, 9, std::string(30, 'x')));
    bank.Lines.emplace_back(30, 'x');
}

Lines Texts(const std::vector<SaveWarning>& warnings) {
    Lines texts;
    for (const auto& warning : warnings) {
        texts.push_back(warning.text);
    }
    return texts;
}

TEST(FirmwareImage, TheTailStaysWhereItWasAndOnlyDataCoveredByAGrowingChainIsAskedAbout) {
    const std::string dataCovered =
        "The melodies need 64 bytes more than the TONE chunk of the loaded image had. Saving overwrites 64 bytes "
        "behind the chunk chain, 64 of which hold data (not 0xFF). Such an image may not work in the phone. Save "
        "anyway?";
    const struct {
        bool grow;  // by 64 bytes, or shrink by the 48 of the second melody
        std::uint8_t tailByte;
        Lines questions;
    } cases[] = {{false, 0x5A, {}}, {true, 0xFF, {}}, {true, 0x00, {dataCovered}}};
    for (const auto& c : cases) {
        ToneBank bank = FourMelodies(Bytes(200, c.tailByte));
        const Bytes before = BuildFirmwareImage(bank);
        c.grow ? AddSixtyFourBytes(bank) : void(Delete(bank, 1));
        const Bytes after = BuildFirmwareImage(bank);
        ASSERT_EQ(before.size(), after.size());
        const std::size_t oldEnd = bank.ChainEnd;
        const std::size_t newEnd = c.grow ? oldEnd + 64 : oldEnd - 48;
        const std::size_t middle = bank.FirmwareMiddle.size();
        EXPECT_BYTES_EQ(bank.FirmwareMiddle, ByteView(after).subspan(newEnd - middle, middle));  // moved with the chunk
        if (!c.grow) {
            EXPECT_BYTES_EQ(Bytes(48, 0xFF), ByteView(after).subspan(newEnd, 48));  // erased flash
        }
        const std::size_t kept = std::max(oldEnd, newEnd);
        EXPECT_BYTES_EQ(ByteView(before).subspan(kept), ByteView(after).subspan(kept));
        EXPECT_EQ(c.questions, Texts(SaveWarnings(bank)));
        // Cancel aborts the save.
        EXPECT_EQ(c.questions.empty(), ConfirmSave(SaveWarnings(bank), [](const SaveWarning&) { return false; }));
    }
}

TEST(FirmwareImage, AChainGrowingPastTheEndMakesTheImageLonger) {
    ToneBank bank = FourMelodies({});
    bank.FirmwareTail.assign(10, 0xFF);
    AddSixtyFourBytes(bank);
    EXPECT_EQ(bank.ChainEnd + 64, BuildFirmwareImage(bank).size());
    const auto warnings = SaveWarnings(bank);
    ASSERT_EQ(1u, warnings.size());
    EXPECT_NE(std::string::npos, warnings[0].text.find("The saved image will be 54 bytes longer")) << warnings[0].text;
}

TEST(SaveWarnings, WithoutFirmwareTheFileIsTheChunkAloneAndAsciiBanksWarnAboutManyMelodies) {
    const std::string noFirmware(kNoFirmwareLoaded);
    const struct {
        std::size_t count;
        TextFormat format;
        Lines warnings;
    } cases[] = {
        {66, TextFormat::Ascii, {std::string(kTooManyMelodies), noFirmware}},
        {65, TextFormat::Ascii, {noFirmware}},
        {66, TextFormat::Unicode, {noFirmware}},
        // The next load tells the format from the first melody: without one, ASCII.
        {0, TextFormat::Unicode, {noFirmware, std::string(kEmptyUnicodeBank)}},
        {0, TextFormat::Ascii, {noFirmware}},
    };
    for (const auto& c : cases) {
        const ToneBank bank = MakeBank(c.count, c.format);
        EXPECT_EQ(c.warnings, Texts(SaveWarnings(bank))) << c.count;
        EXPECT_BYTES_EQ(BuildToneChunk(bank.Records), BuildFirmwareImage(bank));
    }
}

TEST(CheckUniqueIndexes, OneQuestionPerPairSharingAnIndexInListOrder) {
    const auto same = [](const char* later, const char* earlier) {
        return std::string(later) + " has the same index 7 as " + earlier + ". Please correct it.";
    };
    ToneBank bank = MakeBank(6);
    bank.Records[1][3] = bank.Records[4][3] = 7;
    const auto warnings = CheckUniqueIndexes(bank);
    EXPECT_EQ(Lines{same("M4", "M1")}, Texts(warnings));
    EXPECT_EQ(WarningButtons::OkCancel, warnings.at(0).buttons);
    bank.Records[5][3] = 7;
    EXPECT_EQ((Lines{same("M4", "M1"), same("M5", "M1"), same("M5", "M4")}), Texts(CheckUniqueIndexes(bank)));

    // Cancel ends the index check but not the save.
    Lines asked;
    EXPECT_TRUE(ConfirmSave(SaveWarnings(bank), [&](const SaveWarning& w) {
        asked.push_back(w.text);
        return w.cancelEffect != CancelEffect::EndIndexCheck;  // OK to everything but the index check
    }));
    EXPECT_EQ((Lines{std::string(kNoFirmwareLoaded), same("M4", "M1")}), asked);
}

}  // namespace
}  // namespace belltower::bank
